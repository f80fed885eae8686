#include "conversion/WorkingFormatImage.h"

#include "conversion/ACMConvertor.h"
#include "conversion/ConvertToWorkingFormat.h"
#include "wave/Wavs_ex.h"

std::vector<uint8_t> WorkingFormatImage(const std::string& fileName)
{
    TTxWavStream working;
    {
        TTxWavStream loaded;
        loaded.LoadFromFile(fileName);
        TACMConvertor convertor;
        ConvertToWorkingFormat(convertor, loaded, working);
    }
    TMemoryStream image;
    working.SaveToStream(image);
    return std::vector<uint8_t>(image.Memory(), image.Memory() + image.Size());
}
