// The program in Japanese: the translation compiled into it, Qt's own for the
// standard buttons, and the menus that are found by their titles.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QHash>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <memory>

#include "app/WApplicationDel.h"
#include "app/WDocumentController.h"
#include "app/WQtPlatform.h"
#include "app/WTranslations.h"
#include "app/WPresenter.h"
#include "document/MyDocument.h"
#include "prefs/WPreferenceWindow.h"

namespace {

// The Alt mnemonic of a title: the letter after a single "&", or 0.
QChar mnemonicOf(const QString& title)
{
    for (qsizetype i = 0; i + 1 < title.size(); ++i) {
        if (title[i] != u'&')
            continue;
        if (title[i + 1] == u'&') {
            ++i;
            continue;
        }
        return title[i + 1].toUpper();
    }
    return {};
}

QAction* checkedItem(QMenu* menu)
{
    for (QAction* action : menu->actions()) {
        if (action->isChecked())
            return action;
    }
    return nullptr;
}

class JapaneseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        // As main does at start-up, for a desktop in Japanese.
        translations = std::make_unique<WTranslations>(QLocale(QLocale::Japanese, QLocale::Japan));
        WPlatform::setShared(&platform);
        application = std::make_unique<WApplicationDel>(folder.filePath("Wexel.plist"));
    }
    void TearDown() override
    {
        application.reset();
        WPlatform::setShared(nullptr);
        translations.reset();
    }

    QTemporaryDir folder;
    WQtPlatform platform;
    std::unique_ptr<WTranslations> translations;
    std::unique_ptr<WApplicationDel> application;
};

}  // namespace

TEST_F(JapaneseTest, MenuBarIsInJapaneseWithAMnemonicForEachMenu)
{
    ASSERT_TRUE(translations->hasProgramTranslation());
    ASSERT_TRUE(translations->hasQtTranslation());
    QStringList titles;
    QSet<QChar> mnemonics;
    for (QMenu* menu : application->mainMenus()) {
        const QString title = menu->title();
        titles << title;
        const QChar mnemonic = mnemonicOf(title);
        EXPECT_FALSE(mnemonic.isNull()) << title.toStdString();
        EXPECT_FALSE(mnemonics.contains(mnemonic)) << title.toStdString() << " shares its Alt key";
        mnemonics.insert(mnemonic);
    }
    ASSERT_GE(titles.size(), 7);
    EXPECT_EQ(titles[0], QStringLiteral("ファイル(&F)"));
    EXPECT_EQ(titles[1], QStringLiteral("編集(&E)"));
    EXPECT_TRUE(titles.contains(QStringLiteral("HTMLタグ(&T)")));
    EXPECT_NE(application->mainMenuItem(QStringLiteral("別名で保存…")), nullptr);
    EXPECT_NE(application->mainMenuItem(QStringLiteral("元に戻す")), nullptr);
    EXPECT_EQ(application->mainMenuItem(QStringLiteral("Save As…")), nullptr);
}

TEST_F(JapaneseTest, MenusFoundByTheirTitlesAreBuiltAndChecked)
{
    // The builders and the check marks look the menus up by their translated titles.
    application->constructMenus();
    QAction* tags = application->mainMenuItem(QStringLiteral("HTMLタグ(&T)"));
    ASSERT_TRUE(tags && tags->menu());
    EXPECT_FALSE(tags->menu()->isEmpty());
    QAction* sizes = application->mainMenuItem(WApplicationDel::fontSizeMenuTitle());
    ASSERT_TRUE(sizes && sizes->menu());
    ASSERT_FALSE(sizes->menu()->isEmpty());
    EXPECT_EQ(sizes->text(), QStringLiteral("フォントサイズ"));
    ASSERT_TRUE(application->mainMenuItem(WApplicationDel::fontFamilyMenuTitle()));
    EXPECT_FALSE(application->menuDict(QStringLiteral("font_family_array"))->isEmpty());
    // The Format menu got its text commands, in Japanese.
    QAction* format = application->mainMenuItem(QStringLiteral("フォーマット(&R)"));
    ASSERT_TRUE(format && format->menu());
    EXPECT_GT(format->menu()->actions().size(), 5);

    MyDocument* document = application->documentController().newDocument();
    ASSERT_NE(document, nullptr);
    document->setTextViewFontSize(18.0f);
    QAction* checked = checkedItem(sizes->menu());
    ASSERT_NE(checked, nullptr);
    EXPECT_EQ(checked->text(), QStringLiteral("18"));
}

TEST_F(JapaneseTest, DialogsAndTheirButtonsAreInJapanese)
{
    application->showPreferenceWindow();
    WPreferenceWindow* preferences = application->preferenceWindow();
    ASSERT_NE(preferences, nullptr);
    EXPECT_EQ(preferences->windowTitle(), QStringLiteral("環境設定"));
    auto* box = preferences->findChild<QDialogButtonBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
    auto* tabs = preferences->findChild<QTabWidget*>();
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("編集(&E)"));
    preferences->hide();

    // A question's Cancel is found by its translated title: it takes the reject role (Escape).
    QPointer<QMessageBox> question;
    WPresenter presenter;
    int answer = -2;
    presenter.askLater(nullptr, QStringLiteral("t"), QStringLiteral("m"),
                       {QCoreApplication::translate("WDocumentController", "Save"),
                        QCoreApplication::translate("WDocumentController", "Don't Save"),
                        QCoreApplication::translate("WDocumentController", "Cancel")},
                       [&answer](int button) { answer = button; });
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* found = qobject_cast<QMessageBox*>(widget))
            question = found;
    }
    ASSERT_TRUE(question);
    QStringList titles;
    QAbstractButton* cancel = nullptr;
    for (QAbstractButton* button : question->buttons()) {
        titles << button->text();
        if (question->buttonRole(button) == QMessageBox::RejectRole)
            cancel = button;
    }
    EXPECT_TRUE(titles.contains(QStringLiteral("保存しない"))) << titles.join(u',').toStdString();
    ASSERT_NE(cancel, nullptr) << titles.join(u',').toStdString();
    EXPECT_EQ(cancel->text(), QStringLiteral("キャンセル"));
    cancel->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(answer, 2);
}

TEST(Translations, EnglishAndUntranslatedLanguagesKeepTheEnglishTexts)
{
    for (const QLocale& locale : {QLocale(QLocale::English, QLocale::UnitedStates), QLocale::c(),
                                  QLocale(QLocale::French, QLocale::France)}) {
        const WTranslations translations(locale);
        EXPECT_FALSE(translations.hasProgramTranslation()) << locale.name().toStdString();
        // Qt's buttons follow the program: no French buttons around English menus.
        EXPECT_FALSE(translations.hasQtTranslation()) << locale.name().toStdString();
        QDialogButtonBox buttons(QDialogButtonBox::Cancel);
        EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Cancel"));
    }
    {
        const WTranslations japanese{QLocale(QLocale::Japanese)};
        EXPECT_EQ(QCoreApplication::translate("WApplicationDel", "&File"), QStringLiteral("ファイル(&F)"));
    }
    // Removed with the object: English again.
    EXPECT_EQ(QCoreApplication::translate("WApplicationDel", "&File"), QStringLiteral("&File"));
}

// Every text of the Japanese file is translated, keeps the placeholders and
// the Alt key of its English text, and reads the same wherever it is used (a
// button's title is compared with the same text in another class).
TEST(Translations, JapaneseFileIsComplete)
{
    QFile file(QStringLiteral(WEXEL_TRANSLATIONS "/wexel_ja.ts"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QString context;
    QString source;
    int messages = 0;
    QHash<QString, QString> firstTranslation;  // one term, one translation
    const QRegularExpression placeholder(QStringLiteral("%\\d"));
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"name") {
            context = xml.readElementText();
        } else if (xml.name() == u"source") {
            source = xml.readElementText();
        } else if (xml.name() == u"translation") {
            ++messages;
            const QString where = context + QStringLiteral(" / ") + source;
            EXPECT_NE(xml.attributes().value(QStringLiteral("type")), u"unfinished") << where.toStdString();
            EXPECT_NE(xml.attributes().value(QStringLiteral("type")), u"vanished") << where.toStdString();
            const QString translation = xml.readElementText();
            EXPECT_FALSE(translation.trimmed().isEmpty()) << where.toStdString();
            QStringList wanted;
            for (const auto& match : placeholder.globalMatch(source))
                wanted << match.captured();
            for (const QString& mark : wanted)
                EXPECT_TRUE(translation.contains(mark)) << where.toStdString() << " lacks " << mark.toStdString();
            for (const auto& match : placeholder.globalMatch(translation))
                EXPECT_TRUE(wanted.contains(match.captured())) << where.toStdString() << " adds " << match.captured().toStdString();
            const QString earlier = firstTranslation.value(source, translation);
            EXPECT_EQ(earlier, translation) << where.toStdString() << " is translated two ways";
            firstTranslation.insert(source, translation);
            const QChar mnemonic = mnemonicOf(source);
            if (!mnemonic.isNull())
                EXPECT_TRUE(translation.contains(QStringLiteral("(&") + mnemonic + u')')
                            || mnemonicOf(translation) == mnemonic)
                    << where.toStdString() << " loses its Alt key";
            else
                EXPECT_TRUE(mnemonicOf(translation).isNull()) << where.toStdString() << " gains an Alt key";
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_GT(messages, 20);
}
