#pragma once
// The toolkit's own texts (standard buttons, file dialog captions and messages) in
// German; the program's own texts stay English.

namespace Translations {

// Loads qtbase_de.qm from the toolkit's translations folder into the running
// application. Safe to call again: the texts are installed once. Returns false when
// there is no application yet or the file cannot be loaded; the toolkit then keeps
// its English texts.
bool InstallToolkitTexts();

} // namespace Translations
