// The document's side of syntax colouring: the colouring engine of its text
// type, the mode settings that override font size and wrapping, and the
// recolouring after loads and edits.
#include "app/WApplicationDel.h"
#include "document/MyDocument.h"
#include "canvas/WTextCanvas.h"
#include "prefs/WPrefsServer.h"

namespace {

// Plain text takes its colours from the preference store at every colouring.
void usePreferenceColors() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    WColorSyntaxServer::setPreferenceColors([](std::string_view key) -> std::optional<WColor> {
        if (WApplicationDel* application = WApplicationDel::shared())
            return application->prefsServer().nscolorForKey(key);
        return std::nullopt;
    });
}

}  // namespace

void MyDocument::adjustDocumentSettings() {
    if (!myTextView) return;
    usePreferenceColors();
    WTextStorage& storage = myTextView->textStorage();
    mColorSyntaxServer.reset();
    mColorSyntaxServer = WColorSyntaxServer::colorSyntaxServerWithTextStorage(&storage, mTextType);

    const WModeSettings* settings = mColorSyntaxServer->settings();
    if (!settings) return;
    if (settings->hasSettingForKey(u"font_size")) {
        float size = settings->fontSize();
        if (size != 0.0f) {
            setTextViewFontSize(size);
            storage.setFont(WFont{mTextViewFontName.toStdString(), size}, {0, storage.length()});
        }
    }
    if (settings->hasSettingForKey(u"is_word_wrapped")) setWordWrapped(settings->isWordWrapped());
}

void MyDocument::validateColorSyntax() {
    if (!myTextView) return;
    validateColorSyntax(WRange{0, myTextView->textStorage().length()});
}

void MyDocument::validateColorSyntax(WRange range) {
    if (!myTextView || !mColorSyntaxServer) return;
    const WFont font{mTextViewFontName.toStdString(), mTextViewFontSize};
    mColorSyntaxServer->adjustColorSyntaxWithRange(range, &font);
}
