#include "search/WFindDialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "search/WDocumentSearch.h"
#include "search/WSearchServer.h"

namespace {

QString toQString(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::u16string_view toView(const QString& text)
{
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())};
}

}  // namespace

WFindDialog::WFindDialog(WDocumentSearch& search, QWidget* window)
    : QDialog(window)
    , mSearch(search)
    , mySearchField(new QLineEdit(this))
    , myReplaceField(new QLineEdit(this))
    , myIgnoreCaseCheckBox(new QCheckBox(QStringLiteral("Ignore Case"), this))
{
    setWindowTitle(QStringLiteral("Find"));
    setWindowModality(Qt::WindowModal);

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Find:"), mySearchField);
    fields->addRow(QStringLiteral("Replace with:"), myReplaceField);
    fields->addRow(QString(), myIgnoreCaseCheckBox);

    auto* buttons = new QHBoxLayout;
    auto addButton = [this, buttons](const QString& title, auto action) {
        auto* button = new QPushButton(title, this);
        button->setAutoDefault(false);
        buttons->addWidget(button);
        connect(button, &QPushButton::clicked, this, action);
        return button;
    };
    addButton(QStringLiteral("Replace All"), [this] {
        // The count sheet belongs to the document window, so the dialog goes first.
        hide();
        storeFields();
        mSearch.doReplaceAll();
    });
    addButton(QStringLiteral("Replace"), [this] {
        storeFields();
        mSearch.replace();
    });
    addButton(QStringLiteral("Replace & Find"), [this] {
        storeFields();
        mSearch.replaceAndFindAgain();
    });
    addButton(QStringLiteral("Previous"), [this] {
        storeFields();
        mSearch.searchBackward();
    });
    QPushButton* next = addButton(QStringLiteral("Next"), [this] {
        storeFields();
        mSearch.searchForward();
    });
    next->setDefault(true);  // Return in either field finds the next occurrence

    // The flag changes at once, whether the fields are stored later or not.
    connect(myIgnoreCaseCheckBox, &QCheckBox::clicked, this, [this] {
        if (!mServer)
            return;
        mServer->ignoreCaseButtonPressed();
        myIgnoreCaseCheckBox->setChecked(mServer->ignoreCase());
    });

    auto* column = new QVBoxLayout(this);
    column->addLayout(fields);
    column->addLayout(buttons);
}

void WFindDialog::showSearchWindow(WSearchServer& server)
{
    mServer = &server;
    mySearchField->setText(toQString(server.searchString()));
    myReplaceField->setText(toQString(server.replaceString()));
    myIgnoreCaseCheckBox->setChecked(server.ignoreCase());
    show();
    raise();
    activateWindow();
    mySearchField->setFocus();
    mySearchField->selectAll();
}

QPushButton* WFindDialog::button(const QString& title) const
{
    for (auto* candidate : findChildren<QPushButton*>()) {
        if (candidate->text() == title)
            return candidate;
    }
    return nullptr;
}

void WFindDialog::storeFields()
{
    mServer->setButtonPressed(toView(mySearchField->text()), toView(myReplaceField->text()));
}
