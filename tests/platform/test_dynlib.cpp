// The plug-in search and library layer: pattern matching over the folder's own order,
// bare names resolved against the program folder, exports found by name.
#include <gtest/gtest.h>

#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/dynlib.h"

namespace fs = std::filesystem;

namespace {

class DynLib : public ::testing::Test {
protected:
    void SetUp() override
    {
        Folder = fs::temp_directory_path() /
                 ("sonovane-dynlib-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(Folder);
        fs::create_directories(Folder);
    }
    void TearDown() override
    {
        SetLibraryFolder("");
        fs::remove_all(Folder);
    }
    void Touch(const std::string& name) { std::ofstream(Folder / name) << "x"; }

    // What readdir lists, filtered the way the search should filter.
    std::vector<std::string> ReaddirOrder(const std::vector<std::string>& wanted)
    {
        std::vector<std::string> names;
        DIR* dir = opendir(Folder.c_str());
        while (dirent* e = readdir(dir)) {
            for (const auto& w : wanted)
                if (w == e->d_name)
                    names.push_back(e->d_name);
        }
        closedir(dir);
        return names;
    }

    fs::path Folder;
};

TEST_F(DynLib, SearchListsMatchesInFolderOrderCaseInsensitively)
{
    for (const char* n : {"echo.txf", "LOUD.TXF", "notes.txt", "a.txf.bak", "txf", "z.txf"})
        Touch(n);
    fs::create_directory(Folder / "folder.txf");  // every attribute kind is listed

    std::vector<std::string> found;
    std::vector<DWORD> attributes;
    WIN32_FIND_DATAA data;
    const std::string pattern = (Folder / "*.txf").string();
    HANDLE h = FindFirstFileA(pattern.c_str(), &data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    do {
        found.push_back(data.cFileName);
        attributes.push_back(data.dwFileAttributes);
    } while (FindNextFileA(h, &data));
    EXPECT_TRUE(FindClose(h));

    EXPECT_EQ(found, ReaddirOrder({"echo.txf", "LOUD.TXF", "z.txf", "folder.txf"}));
    for (size_t i = 0; i < found.size(); ++i)
        EXPECT_EQ(attributes[i], found[i] == "folder.txf" ? FILE_ATTRIBUTE_DIRECTORY
                                                          : FILE_ATTRIBUTE_NORMAL)
            << found[i];
}

TEST_F(DynLib, SearchWithoutMatchOrFolderFails)
{
    Touch("readme.txt");
    WIN32_FIND_DATAA data;
    EXPECT_EQ(FindFirstFileA((Folder / "*.txf").c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(FindFirstFileA((Folder / "missing" / "*.txf").c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(FindNextFileA(INVALID_HANDLE_VALUE, &data));
    EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));
}

TEST_F(DynLib, BareNameLoadsFromTheLibraryFolder)
{
    // Any real shared library will do as a stand-in plug-in: the C library's maths part.
    const fs::path libm = "/lib/x86_64-linux-gnu/libm.so.6";
    if (!fs::exists(libm))
        GTEST_SKIP() << "no libm at " << libm;
    fs::copy_file(libm, Folder / "maths.txf");
    Touch("broken.txf");

    EXPECT_EQ(LoadLibraryA("maths.txf"), nullptr) << "not yet pointed at the folder";
    SetLibraryFolder(Folder.string());
    EXPECT_EQ(LibraryFolder(), Folder.string() + "/");

    HMODULE m = LoadLibraryA("maths.txf");
    ASSERT_NE(m, nullptr);
    EXPECT_NE(GetProcAddress(m, "cos"), nullptr);
    EXPECT_EQ(GetProcAddress(m, "GetModulName"), nullptr);
    EXPECT_TRUE(FreeLibrary(m));

    EXPECT_EQ(LoadLibraryA("broken.txf"), nullptr);
    EXPECT_EQ(LoadLibraryA("absent.txf"), nullptr);
    EXPECT_EQ(LoadLibraryA(""), nullptr);
    EXPECT_FALSE(FreeLibrary(nullptr));

    // A name with a folder is taken as it is.
    HMODULE direct = LoadLibraryA((Folder / "maths.txf").c_str());
    ASSERT_NE(direct, nullptr);
    FreeLibrary(direct);
}

} // namespace
