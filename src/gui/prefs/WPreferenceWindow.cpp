#include "prefs/WPreferenceWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "app/WApplicationDel.h"
#include "app/WPresenter.h"
#include "editor/WKeyAssignServer.h"
#include "menus/WMenu.h"
#include "menus/WMenuShortcuts.h"
#include "menus/WMenuUtils.h"
#include "platform/WLog.h"
#include "prefs/WColorUtils.h"
#include "prefs/WColorWell.h"
#include "prefs/WPrefsServer.h"

namespace {

// The second browser's command; the desktop's default browser needs none.
constexpr const char* kBrowserCommandKey = "browser_command";

QColor toQColor(const WColor& color)
{
    return QColor::fromRgbF(color.red, color.green, color.blue, color.alpha);
}

WColor toWColor(const QColor& color)
{
    return WColor{static_cast<float>(color.redF()), static_cast<float>(color.greenF()),
                  static_cast<float>(color.blueF()), static_cast<float>(color.alphaF())};
}

QLabel* explanation(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setForegroundRole(QPalette::PlaceholderText);
    label->setContentsMargins(22, 0, 0, 6);
    return label;
}

// Fills a pop-up from a menu model: the item titles, tagged as in the model.
void fillPopup(QComboBox* popup, const WMenu& menu)
{
    for (const auto& item : menu.itemArray()) {
        if (!item->isSeparatorItem())
            popup->addItem(QString::fromStdU16String(item->title()), item->tag());
    }
}

void selectTag(QComboBox* popup, int tag)
{
    popup->setCurrentIndex(popup->findData(tag));
}

// "A S D", the letters the scheme takes with these modifiers.
QStringList lettersTaken(int scheme, Qt::KeyboardModifiers modifiers)
{
    QStringList letters;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        if (WMenuShortcuts::schemeTakes(scheme, QKeySequence(QKeyCombination(modifiers, Qt::Key(letter)))))
            letters.append(QString(QChar(letter)));
    }
    return letters;
}

}  // namespace

WPreferenceWindow::WPreferenceWindow(WPrefsServer& prefsServer, QWidget* parent)
    : QDialog(parent), mPrefsServer(prefsServer), myTabView(new QTabWidget(this))
{
    setWindowTitle(tr("Preferences"));
    setObjectName(QStringLiteral("PreferenceWindow"));

    // ---- Editing
    auto* editing = new QWidget(myTabView);
    auto* editingColumn = new QVBoxLayout(editing);
    myAutoIndentCheckBox = addCheckBox(editing, tr("Auto &indent"), "auto_indent",
                                       tr("Return starts the new line with the indentation of the line above."));
    myWordWrapCheckBox = addCheckBox(editing, tr("Wrap &long lines"), "word_wrap",
                                     tr("Long lines are wrapped at the window's edge instead of scrolling sideways."));
    auto* keyForm = new QFormLayout;
    myKeyAssignMenu = new QComboBox(editing);
    myKeyAssignMenu->addItem(tr("Wexel's own keys"), int(WWexelOriginal));
    myKeyAssignMenu->addItem(tr("Emacs-like keys"), int(WEmacsLike));
    myKeyAssignMenu->addItem(tr("vi-like keys"), int(WViLike));
    myKeyAssignMenu->addItem(tr("The system's keys"), int(WSystemDefault));
    keyForm->addRow(tr("&Key bindings:"), myKeyAssignMenu);
    editingColumn->addLayout(keyForm);
    myKeyAssignDescription = explanation(QString(), editing);
    myKeyAssignDescription->setObjectName(QStringLiteral("keySchemeDescription"));
    editingColumn->addWidget(myKeyAssignDescription);
    myAssignOnlyMultiStrokeKeyBindCheckBox =
        addCheckBox(editing, tr("Bind only &two-key sequences"), "assign_only_multi_stroke",
                    tr("Kept with your preferences; the key bindings do not consult it yet."));
    editingColumn->addStretch(1);
    myTabView->addTab(editing, tr("&Editing"));

    // ---- Files
    auto* files = new QWidget(myTabView);
    auto* filesColumn = new QVBoxLayout(files);
    myCharCodeDetectionCheckBox =
        addCheckBox(files, tr("Detect the character co&de of opened files"), "detect_code_type");
    myFileTypeDetectionCheckBox =
        addCheckBox(files, tr("Detect the text t&ype from the file name"), "detect_text_type");
    myStoreWindowStatusCheckBox =
        addCheckBox(files, tr("Remember the &selection of each file"), "store_window_status",
                    tr("The selection is saved with the file and selected again when you open it."));
    filesColumn->addStretch(1);
    myTabView->addTab(files, tr("&Files"));

    // ---- Web
    auto* web = new QWidget(myTabView);
    auto* webColumn = new QVBoxLayout(web);
    myUseXHTMLSyntaxCheckBox =
        addCheckBox(web, tr("Write &XHTML tags"), "use_xhtml_syntax",
                    tr("Inserted image tags end in \" />\", as XHTML wants, instead of \">\"."));
    auto* browserForm = new QFormLayout;
    myBrowserMenu = new QComboBox(web);
    myBrowserMenu->addItem(tr("The desktop's default browser"), 1);
    myBrowserMenu->addItem(tr("Another browser"), 2);
    browserForm->addRow(tr("Open with &Browser uses:"), myBrowserMenu);
    myBrowserCommandMenu = new QComboBox(web);
    myBrowserCommandMenu->setEditable(true);
    myBrowserCommandMenu->addItems(installedBrowsers());
    myBrowserCommandMenu->setToolTip(tr("A browser's command, found on your PATH"));
    browserForm->addRow(tr("Other b&rowser:"), myBrowserCommandMenu);
    webColumn->addLayout(browserForm);
    myAlwaysMakesANewWindowCheckBox =
        addCheckBox(web, tr("Always open a &new browser window"), "always_makes_a_new_window");
    webColumn->addStretch(1);
    myTabView->addTab(web, tr("&Web"));

    // ---- Font and colours
    auto* looks = new QWidget(myTabView);
    auto* looksForm = new QFormLayout(looks);
    myFontFamilyMenu = new QComboBox(looks);
    myFontFamilyMenu->setMaxVisibleItems(20);
    myFontSizeMenu = new QComboBox(looks);
    looksForm->addRow(tr("F&ont of new windows:"), myFontFamilyMenu);
    looksForm->addRow(tr("Si&ze:"), myFontSizeMenu);
    myBaseColorWell = new WColorWell(tr("Text colour"), looks);
    myBackgroudColorWell = new WColorWell(tr("Background colour"), looks);
    myTagFontColorWell = new WColorWell(tr("Tag colour"), looks);
    myCommentFontColorWell = new WColorWell(tr("Comment colour"), looks);
    looksForm->addRow(tr("&Plain text:"), myBaseColorWell);
    looksForm->addRow(tr("Back&ground of plain text:"), myBackgroudColorWell);
    looksForm->addRow(tr("T&ags:"), myTagFontColorWell);
    looksForm->addRow(tr("Co&mments:"), myCommentFontColorWell);
    looksForm->addRow(explanation(tr("The font and size apply to windows opened from now on. Plain text "
                                                 "is shown in the first two colours; the other text types take their "
                                                 "colours from their settings files, and the tag and comment colours "
                                                 "are kept but not used yet."),
                                  looks));
    myTabView->addTab(looks, tr("Font && &Colours"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &WPreferenceWindow::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &WPreferenceWindow::reject);

    auto* column = new QVBoxLayout(this);
    column->addWidget(myTabView);
    column->addWidget(buttons);

    connect(myKeyAssignMenu, &QComboBox::activated, this, [this] {
        popupSelected(myKeyAssignMenu, "key_bind_type");
        showKeySchemeDescription();
    });
    connect(myBrowserMenu, &QComboBox::activated, this, [this] {
        popupSelected(myBrowserMenu, "preferred_browser");
        myBrowserCommandMenu->setEnabled(myBrowserMenu->currentData().toInt() == 2);
    });
    connect(myBrowserCommandMenu, &QComboBox::currentTextChanged, this, [this](const QString& command) {
        mPrefsServer.tempDictionary().setObject(WPlistValue(command.trimmed().toStdString()), kBrowserCommandKey);
    });
    connect(myFontFamilyMenu, &QComboBox::activated, this, &WPreferenceWindow::fontFamilyMenuSelected);
    connect(myFontSizeMenu, &QComboBox::activated, this, &WPreferenceWindow::fontSizeMenuSelected);

    awakeFromNib();
}

QCheckBox* WPreferenceWindow::addCheckBox(QWidget* pane, const QString& title, const char* key,
                                          const QString& about)
{
    auto* box = new QCheckBox(title, pane);
    pane->layout()->addWidget(box);
    if (!about.isEmpty())
        pane->layout()->addWidget(explanation(about, pane));
    connect(box, &QCheckBox::toggled, this, [this, key](bool on) { mPrefsServer.tempDictionary().setBool(on, key); });
    mCheckBoxes.emplace_back(box, key);
    return box;
}

void WPreferenceWindow::awakeFromNib()
{
    WMenu fonts(u"");
    mPrefsServer.setFontNameArray(WMenuUtils::attachFlattedFontMenuToMenu(fonts, "fontFamilyMenuSelected:"));
    fillPopup(myFontFamilyMenu, fonts);
    WMenu sizes(u"");
    WMenuUtils::attachSizeMenuToMenu(sizes, "fontSizeMenuSelected:");
    fillPopup(myFontSizeMenu, sizes);
    myTabView->setCurrentIndex(0);
    resetUI();
}

std::vector<float> WPreferenceWindow::sizeArray() const
{
    std::vector<float> sizes;
    const WApplicationDel* application = WApplicationDel::shared();
    if (auto array = application ? application->menuDict(QStringLiteral("font_size_array")) : std::nullopt) {
        for (const QVariant& size : *array)
            sizes.push_back(size.toFloat());
    } else {
        // The menus are not built (a window made on its own): the same table they use.
        sizes.assign(WFontSizeMenuItemArray.begin(), WFontSizeMenuItemArray.end() - 1);
    }
    return sizes;
}

void WPreferenceWindow::resetUI()
{
    // The controls' own signals would write into the working copy; it is the committed set already.
    const QSignalBlocker blockCommand(myBrowserCommandMenu);
    for (auto& [box, key] : mCheckBoxes) {
        const QSignalBlocker block(box);
        box->setChecked(mPrefsServer.boolForKey(key));
    }
    selectTag(myBrowserMenu, mPrefsServer.intForKey("preferred_browser"));
    selectTag(myKeyAssignMenu, mPrefsServer.intForKey("key_bind_type"));
    myBrowserCommandMenu->setEditText(QString::fromStdString(mPrefsServer.stringForKey(kBrowserCommandKey)));
    myBrowserCommandMenu->setEnabled(mPrefsServer.intForKey("preferred_browser") == 2);
    showKeySchemeDescription();

    const std::vector<std::string>& names = mPrefsServer.fontNameArray().value_or(std::vector<std::string>{});
    const std::string fontName = mPrefsServer.stringForKey("font_name");
    const auto name = std::find(names.begin(), names.end(), fontName);
    if (name == names.end()) {
        WLog::write("TextViewFontName : NotFound");
        myFontFamilyMenu->setCurrentIndex(-1);
    } else {
        selectTag(myFontFamilyMenu, static_cast<int>(name - names.begin()));
    }
    const std::vector<float> sizes = sizeArray();
    const auto size = std::find(sizes.begin(), sizes.end(), mPrefsServer.floatForKey("font_size"));
    myFontSizeMenu->setCurrentIndex(size == sizes.end() ? -1 : myFontSizeMenu->findData(int(size - sizes.begin())));

    myBaseColorWell->setColor(toQColor(mPrefsServer.nscolorForKey("base_string_color")));
    myBackgroudColorWell->setColor(toQColor(mPrefsServer.nscolorForKey("background_color")));
    myTagFontColorWell->setColor(toQColor(mPrefsServer.nscolorForKey("tab_string_color")));
    myCommentFontColorWell->setColor(toQColor(mPrefsServer.nscolorForKey("comment_string_color")));
}

void WPreferenceWindow::showPreferenceWindow()
{
    show();
    raise();
    activateWindow();
}

void WPreferenceWindow::popupSelected(QComboBox* popup, const char* key)
{
    if (popup->currentIndex() >= 0)
        mPrefsServer.tempDictionary().setInt(popup->currentData().toInt(), key);
}

void WPreferenceWindow::fontFamilyMenuSelected(int index)
{
    const int tag = myFontFamilyMenu->itemData(index).toInt();
    const auto& names = mPrefsServer.fontNameArray();
    if (names && tag >= 0 && tag < static_cast<int>(names->size()))
        mPrefsServer.tempDictionary().setObject(WPlistValue((*names)[static_cast<size_t>(tag)]), "font_name");
}

void WPreferenceWindow::fontSizeMenuSelected(int index)
{
    const int tag = myFontSizeMenu->itemData(index).toInt();
    const std::vector<float> sizes = sizeArray();
    if (tag >= 0 && tag < static_cast<int>(sizes.size()))
        mPrefsServer.tempDictionary().setFloat(sizes[static_cast<size_t>(tag)], "font_size");
}

void WPreferenceWindow::showKeySchemeDescription()
{
    myKeyAssignDescription->setText(keySchemeDescription(myKeyAssignMenu->currentData().toInt()));
}

void WPreferenceWindow::okButtonPressed()
{
    hide();
    WDictionary& working = mPrefsServer.tempDictionary();
    working.setColor(WColorUtils::convertNSColorToStruct(toWColor(myBaseColorWell->color())), "base_string_color");
    working.setColor(WColorUtils::convertNSColorToStruct(toWColor(myBackgroudColorWell->color())), "background_color");
    working.setColor(WColorUtils::convertNSColorToStruct(toWColor(myTagFontColorWell->color())), "tab_string_color");
    working.setColor(WColorUtils::convertNSColorToStruct(toWColor(myCommentFontColorWell->color())),
                     "comment_string_color");
    const bool saved = mPrefsServer.commit();
    resetUI();
    // The scheme may have changed: the menus stop (or start) promising its keys at once.
    WMenuShortcuts::applyKeyScheme();
    if (!saved) {
        const QString cause = QString::fromStdString(mPrefsServer.userDefaults().lastFailure());
        WPresenter::shared().showError(nullptr, tr("Your preferences could not be saved."),
                                       (cause.isEmpty() ? QString() : cause + QLatin1Char(' '))
                                           + tr("They apply until Wexel quits."));
    }
}

void WPreferenceWindow::cancelButtonPressed()
{
    hide();
    mPrefsServer.revert();
    resetUI();
}

void WPreferenceWindow::accept()
{
    okButtonPressed();
}

void WPreferenceWindow::reject()
{
    cancelButtonPressed();
}

QString WPreferenceWindow::keySchemeDescription(int scheme)
{
    if (scheme == WSystemDefault)
        return tr("Takes no keys: every Ctrl key is a menu shortcut, as in other programs.");
    const QStringList plain = lettersTaken(scheme, Qt::ControlModifier);
    const QStringList shifted = lettersTaken(scheme, Qt::ControlModifier | Qt::ShiftModifier);
    // Whole sentences for the translators, the letters put in.
    QString text = shifted.isEmpty() ? tr("Takes Ctrl+%1.").arg(plain.join(u' '))
                 : shifted == plain  ? tr("Takes Ctrl+%1, with or without Shift.").arg(plain.join(u' '))
                                     : tr("Takes Ctrl+%1 and Ctrl+Shift+%2.").arg(plain.join(u' '), shifted.join(u' '));
    if (scheme == WWexelOriginal)
        text += tr(" Ctrl+Q then Ctrl+R goes to the start of the text, Ctrl+Q then Ctrl+C to the end.");
    else if (scheme == WEmacsLike)
        text += tr(" Ctrl+X then Ctrl+S saves; Escape then a letter is a Meta key.");
    text += tr(" Return indents when Auto Indent is on. Menu items on these keys show their other "
                           "shortcut or none; reach them with Alt and the menu's underlined letter.");
    return text;
}

QStringList WPreferenceWindow::installedBrowsers()
{
    static const char* const candidates[] = {"firefox",        "firefox-esr", "chromium", "chromium-browser",
                                             "google-chrome",  "epiphany-browser", "falkon", "konqueror",
                                             "midori",         "qutebrowser"};
    QStringList found;
    for (const char* candidate : candidates) {
        if (!QStandardPaths::findExecutable(QString::fromLatin1(candidate)).isEmpty())
            found.append(QString::fromLatin1(candidate));
    }
    return found;
}
