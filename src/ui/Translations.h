#pragma once
// Qt's own texts (standard buttons, the file dialogs) in Japanese, like the
// rest of the program.

class QCoreApplication;

namespace tessaro {

// Loads Qt's Japanese translations from Qt's translations folder into the
// application. False when they are not installed: Qt's texts stay English.
bool installQtTranslations(QCoreApplication& app);

}  // namespace tessaro
