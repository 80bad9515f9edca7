// Each document property read and written over the bus with gdbus, with the
// exact errors a script sees and the document unchanged after each of them.
#include <QProcess>
#include <QTest>

#include "ScriptingSession.h"

namespace {
using S = ScriptingSession;

const QString kGeneric = QStringLiteral("io.wexel.Wexel.Error.Generic: ");
const QString kInvalid = QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs: ");

class DocumentProperties : public ScriptingTest {
protected:
    void open(const QByteArray& text, const QString& name = QStringLiteral("doc.txt"))
    {
        startEditor({session.writeFile(name, text)});
    }
    QString read(const QString& property) const { return session.get(S::document(1), property).out; }
    // The error of writing the value, or "" when it was written.
    QString write(const QString& property, const QString& value) const
    {
        const S::Run written = session.set(S::document(1), property, value);
        return written.exitCode == 0 ? QString() : written.error();
    }
};

TEST_F(DocumentProperties, EncodingLineEndsAndTextTypeTakeTheirExactNames)
{
    open("plain\n");
    EXPECT_EQ(read(QStringLiteral("encoding")), QStringLiteral("(<'UTF-8'>,)"));
    EXPECT_EQ(write(QStringLiteral("encoding"), QStringLiteral("<'UTF-16'>")), QString());
    EXPECT_EQ(read(QStringLiteral("encoding")), QStringLiteral("(<'UTF-16'>,)"));
    EXPECT_EQ(write(QStringLiteral("encoding"), QStringLiteral("<'utf-8'>")), kGeneric + "MyDocument - setEncoding");
    EXPECT_EQ(write(QStringLiteral("encoding"), QStringLiteral("<8>")),
              kInvalid + "Property 'encoding' takes a string, not 'i'");
    EXPECT_EQ(read(QStringLiteral("encoding")), QStringLiteral("(<'UTF-16'>,)"));

    EXPECT_EQ(read(QStringLiteral("retcode")), QStringLiteral("(<'LF'>,)"));
    EXPECT_EQ(write(QStringLiteral("retcode"), QStringLiteral("<'CR-LF'>")), QString());
    EXPECT_EQ(write(QStringLiteral("retcode"), QStringLiteral("<'CRLF'>")), kGeneric + "MyDocument - setRetcode");
    EXPECT_EQ(read(QStringLiteral("retcode")), QStringLiteral("(<'CR-LF'>,)"));

    EXPECT_EQ(read(QStringLiteral("syntaxtype")), QStringLiteral("(<'Plain'>,)"));
    EXPECT_EQ(write(QStringLiteral("syntaxtype"), QStringLiteral("<'X/HTML'>")), QString());
    // The shell script type is taken but changes nothing.
    EXPECT_EQ(write(QStringLiteral("syntaxtype"), QStringLiteral("<'sh-script'>")), QString());
    EXPECT_EQ(read(QStringLiteral("syntaxtype")), QStringLiteral("(<'X/HTML'>,)"));
    EXPECT_EQ(write(QStringLiteral("syntaxtype"), QStringLiteral("<'Perl'>")), kGeneric + "MyDocument - setSyntaxType");
    EXPECT_EQ(write(QStringLiteral("syntaxtype"), QStringLiteral("<'perl'>")), QString());
    EXPECT_EQ(read(QStringLiteral("syntaxtype")), QStringLiteral("(<'perl'>,)"));
}

TEST_F(DocumentProperties, FontAndSwitches)
{
    open("x");
    EXPECT_EQ(write(QStringLiteral("fontname"), QStringLiteral("<'IPAGothic'>")), QString());
    EXPECT_EQ(read(QStringLiteral("fontname")), QStringLiteral("(<'IPAGothic'>,)"));
    EXPECT_EQ(write(QStringLiteral("fontsize"), QStringLiteral("<0.5>")), kGeneric + "MyDocument - setFontsize");
    EXPECT_EQ(write(QStringLiteral("fontsize"), QStringLiteral("<1.0>")), QString());
    EXPECT_EQ(read(QStringLiteral("fontsize")), QStringLiteral("(<1.0>,)"));
    // Any number will do for a size; a string will not.
    EXPECT_EQ(write(QStringLiteral("fontsize"), QStringLiteral("<14>")), QString());
    EXPECT_EQ(read(QStringLiteral("fontsize")), QStringLiteral("(<14.0>,)"));
    EXPECT_EQ(write(QStringLiteral("fontsize"), QStringLiteral("<'12'>")),
              kInvalid + "Property 'fontsize' takes a number, not 's'");

    for (const QString& flag : {QStringLiteral("wordwrap"), QStringLiteral("autoindent")}) {
        EXPECT_EQ(read(flag), QStringLiteral("(<true>,)"));
        EXPECT_EQ(write(flag, QStringLiteral("<false>")), QString());
        EXPECT_EQ(read(flag), QStringLiteral("(<false>,)"));
        EXPECT_EQ(write(flag, QStringLiteral("<1>")),
                  kInvalid + QStringLiteral("Property '%1' takes a boolean, not 'i'").arg(flag));
    }
}

TEST_F(DocumentProperties, SelectedRangeMustLieInTheText)
{
    open("abcde");
    EXPECT_EQ(read(QStringLiteral("selectedrange")), QStringLiteral("(<{'uni_length': <0>, 'uni_location': <0>}>,)"));
    EXPECT_EQ(write(QStringLiteral("selectedrange"), QStringLiteral("<{'uni_location': <5>, 'uni_length': <0>}>")),
              QString());
    EXPECT_EQ(read(QStringLiteral("selectionLocation")), QStringLiteral("(<5>,)"));
    const QString rangeError = QStringLiteral("io.wexel.Wexel.Error.Range: Given Range is not Valid.");
    EXPECT_EQ(write(QStringLiteral("selectedrange"), QStringLiteral("<{'uni_location': <5>, 'uni_length': <1>}>")),
              rangeError);
    EXPECT_EQ(write(QStringLiteral("selectedrange"), QStringLiteral("<{'uni_location': <-1>, 'uni_length': <1>}>")),
              rangeError);
    // Without both numbers nothing happens.
    EXPECT_EQ(write(QStringLiteral("selectedrange"), QStringLiteral("<{'uni_location': <1>}>")), QString());
    EXPECT_EQ(write(QStringLiteral("selectedrange"), QStringLiteral("<{'uni_location': <'1'>, 'uni_length': <1>}>")),
              kInvalid + "Field 'uni_location' takes an integer, not 's'");
    EXPECT_EQ(write(QStringLiteral("selectedrange"), QStringLiteral("<{'location': <1>, 'uni_length': <1>}>")),
              kInvalid + "A selected range has no field 'location'");
    EXPECT_EQ(write(QStringLiteral("selectedrange"), QStringLiteral("<(1, 1)>")),
              kInvalid + "Property 'selectedrange' takes a dictionary (a{sv}), not '(ii)'");
    EXPECT_EQ(read(QStringLiteral("selectedrange")), QStringLiteral("(<{'uni_length': <0>, 'uni_location': <5>}>,)"));
}

TEST_F(DocumentProperties, SelectionLocationAndLengthKeepTheSelectionInTheText)
{
    open("0123456789");
    ASSERT_EQ(write(QStringLiteral("selectedrange"), QStringLiteral("<{'uni_location': <1>, 'uni_length': <5>}>")),
              QString());
    EXPECT_EQ(write(QStringLiteral("selectionLocation"), QStringLiteral("<8>")), QString());
    EXPECT_EQ(read(QStringLiteral("selectedrange")), QStringLiteral("(<{'uni_length': <2>, 'uni_location': <8>}>,)"));
    EXPECT_EQ(write(QStringLiteral("selectionLength"), QStringLiteral("<3>")),
              kGeneric + "MyDocument - setSelectionLength");
    EXPECT_EQ(write(QStringLiteral("selectionLength"), QStringLiteral("<-1>")),
              kGeneric + "MyDocument - setSelectionLength");
    EXPECT_EQ(write(QStringLiteral("selectionLocation"), QStringLiteral("<11>")),
              kGeneric + "MyDocument - setSelectionLocation");
    EXPECT_EQ(write(QStringLiteral("selectionLocation"), QStringLiteral("<uint64 18446744073709551615>")),
              kGeneric + "MyDocument - setSelectionLocation");
    EXPECT_EQ(write(QStringLiteral("selectionLength"), QStringLiteral("<'2'>")),
              kInvalid + "Property 'selectionLength' takes an integer, not 's'");
    EXPECT_EQ(read(QStringLiteral("selectedtext")), QStringLiteral("(<'89'>,)"));
    EXPECT_EQ(write(QStringLiteral("selectionLength"), QStringLiteral("<byte 0>")), QString());
    EXPECT_EQ(read(QStringLiteral("selectionLength")), QStringLiteral("(<0>,)"));
}

TEST_F(DocumentProperties, TextReadsAndTheSelectedTextWrites)
{
    open("one\ntwo");
    EXPECT_EQ(read(QStringLiteral("text")), QStringLiteral("(<'one\\rtwo'>,)"));
    ASSERT_EQ(write(QStringLiteral("selectedrange"), QStringLiteral("<{'uni_location': <4>, 'uni_length': <3>}>")),
              QString());
    EXPECT_EQ(write(QStringLiteral("selectedtext"), QStringLiteral("<'2\\n3'>")), QString());
    EXPECT_EQ(read(QStringLiteral("text")), QStringLiteral("(<'one\\r2\\r3'>,)"));
    EXPECT_EQ(read(QStringLiteral("selectedrange")), QStringLiteral("(<{'uni_length': <3>, 'uni_location': <4>}>,)"));
    EXPECT_EQ(read(QStringLiteral("title")), QStringLiteral("(<'doc.txt'>,)"));

    for (const QString& fixed : {QStringLiteral("text"), QStringLiteral("path"), QStringLiteral("title")})
        EXPECT_EQ(write(fixed, QStringLiteral("<'x'>")),
                  QStringLiteral("org.freedesktop.DBus.Error.PropertyReadOnly: Property '%1' is read-only").arg(fixed));
    EXPECT_EQ(read(QStringLiteral("text")), QStringLiteral("(<'one\\r2\\r3'>,)"));
    EXPECT_EQ(session.get(S::document(1), QStringLiteral("colour")).error(),
              QStringLiteral("org.freedesktop.DBus.Error.UnknownProperty: No such property 'colour'"));
    EXPECT_EQ(session
                  .call(S::document(1), QStringLiteral("org.freedesktop.DBus.Properties.Get"),
                        {QStringLiteral("io.wexel.Wexel.Documents"), QStringLiteral("text")})
                  .error(),
              QStringLiteral("org.freedesktop.DBus.Error.UnknownInterface: No such interface "
                             "'io.wexel.Wexel.Documents' at object path '/io/wexel/Wexel/Document/1'"));

    const QString all =
        session.call(S::document(1), QStringLiteral("org.freedesktop.DBus.Properties.GetAll"), {S::kDocumentInterface})
            .out;
    for (const char* key : {"'encoding'", "'retcode'", "'syntaxtype'", "'fontname'", "'fontsize'", "'selectedrange'",
                            "'wordwrap'", "'autoindent'", "'selectedtext': <'2\\r3'>", "'selectionLocation'",
                            "'selectionLength'", "'text'", "'path'", "'title'"})
        EXPECT_TRUE(all.contains(QLatin1String(key))) << key << " in " << all.toStdString();
}

TEST_F(DocumentProperties, ChangesAreSignalledHoweverTheyHappen)
{
    open("abc");
    QProcess monitor;
    monitor.setProcessEnvironment(session.environment());
    monitor.start(QStringLiteral("gdbus"), {QStringLiteral("monitor"), QStringLiteral("--session"),
                                            QStringLiteral("--dest"), S::kName});
    QString seen;
    auto waitToSee = [&](const QString& wanted) {
        return QTest::qWaitFor(
            [&] {
                seen += QString::fromUtf8(monitor.readAllStandardOutput());
                return seen.contains(wanted);
            },
            5000);
    };
    ASSERT_TRUE(waitToSee(QStringLiteral("is owned by")));

    ASSERT_EQ(write(QStringLiteral("retcode"), QStringLiteral("<'CR-LF'>")), QString());
    EXPECT_TRUE(waitToSee(QStringLiteral("{'retcode': <'CR-LF'>}, @as []"))) << seen.toStdString();
    ASSERT_EQ(write(QStringLiteral("syntaxtype"), QStringLiteral("<'CSS'>")), QString());
    EXPECT_TRUE(waitToSee(QStringLiteral("'syntaxtype': <'CSS'>"))) << seen.toStdString();
    ASSERT_EQ(write(QStringLiteral("selectedtext"), QStringLiteral("<'xy'>")), QString());
    EXPECT_TRUE(waitToSee(QStringLiteral("'selectionLength': <2>}, ['text', 'selectedtext']"))) << seen.toStdString();
    // A new document changes the application's list.
    session.call(S::kApplication, QStringLiteral("io.wexel.Wexel.Application.create"));
    EXPECT_TRUE(waitToSee(QStringLiteral("{'documents': <[objectpath '/io/wexel/Wexel/Document/2', "
                                         "'/io/wexel/Wexel/Document/1']>}")))
        << seen.toStdString();
    monitor.kill();
    monitor.waitForFinished(3000);
}
}  // namespace
