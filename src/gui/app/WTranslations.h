#pragma once

#include <QLocale>
#include <QString>

#include <memory>

class QTranslator;

// The program's translation and Qt's own (the standard dialogs and buttons),
// installed for one language: the desktop's (LANGUAGE, LC_ALL, LC_MESSAGES,
// LANG) at start-up. English needs none; a language without a translation
// leaves the English texts.
class WTranslations {
public:
    explicit WTranslations(const QLocale& locale = QLocale::system());
    ~WTranslations();
    WTranslations(const WTranslations&) = delete;
    WTranslations& operator=(const WTranslations&) = delete;

    // Whether the program's own texts are translated (not only Qt's).
    bool hasProgramTranslation() const { return mProgram != nullptr; }
    bool hasQtTranslation() const { return mQt != nullptr; }

    // Where the compiled translations are kept inside the program.
    static QString resourceFolder();

private:
    std::unique_ptr<QTranslator> mProgram;
    std::unique_ptr<QTranslator> mQt;
};
