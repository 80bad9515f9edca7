#include "app/WTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "platform/WLog.h"

namespace {
std::unique_ptr<QTranslator> loaded(const QLocale& language, const QString& name, const QString& folder)
{
    auto translator = std::make_unique<QTranslator>();
    // Tries the language's longer and shorter forms (ja_JP, ja).
    if (!translator->load(language, name, QStringLiteral("_"), folder) || translator->isEmpty())
        return nullptr;
    return translator;
}
}  // namespace

WTranslations::WTranslations(const QLocale& locale)
{
    // The user's languages in the order given (LANGUAGE=fr:ja:en). The program is
    // written in English, so English before any translated language means English;
    // the first language with a translation wins, and Qt's own texts follow it so
    // that one window never mixes two languages.
    for (const QString& name : locale.uiLanguages()) {
        const QLocale language(name);
        if (language.language() == QLocale::English || language.language() == QLocale::C)
            break;
        mProgram = loaded(language, QStringLiteral("wexel"), resourceFolder());
        if (!mProgram)
            continue;
        QCoreApplication::installTranslator(mProgram.get());
        mQt = loaded(language, QStringLiteral("qtbase"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
        if (mQt)
            QCoreApplication::installTranslator(mQt.get());
        WLog::write("WTranslations : " + language.name().toStdString()
                    + (mQt ? "" : " (Qt's own translation not found)"));
        break;
    }
}

WTranslations::~WTranslations()
{
    if (mQt)
        QCoreApplication::removeTranslator(mQt.get());
    if (mProgram)
        QCoreApplication::removeTranslator(mProgram.get());
}

QString WTranslations::resourceFolder()
{
    return QStringLiteral(":/i18n");
}
