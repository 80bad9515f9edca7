// The document commands over the bus: each with missing, wrong and default
// arguments, and two documents addressed side by side.
#include "ScriptingSession.h"

namespace {
using S = ScriptingSession;

const QString kInvalid = QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs: ");

class DocumentCommands : public ScriptingTest {
protected:
    S::Run command(const QString& name, const QString& arguments, int number = 1) const
    {
        return session.call(S::document(number), QStringLiteral("io.wexel.Wexel.Document.") + name, {arguments});
    }
    QString read(const QString& property, int number = 1) const { return session.get(S::document(number), property).out; }
};

TEST_F(DocumentCommands, SearchFindsFromTheOffsetIgnoringCaseUnlessTold)
{
    // 13 characters.
    startEditor({session.writeFile(QStringLiteral("s.txt"), "Hello ABC abc")});
    ASSERT_EQ(session.set(S::document(1), QStringLiteral("selectedrange"),
                          QStringLiteral("<{'uni_location': <1>, 'uni_length': <2>}>"))
                  .exitCode,
              0);
    EXPECT_EQ(command(QStringLiteral("search"), QStringLiteral("{'searchText': <'abc'>}")).out, QStringLiteral("(6,)"));
    EXPECT_EQ(command(QStringLiteral("search"), QStringLiteral("{'searchText': <'abc'>, 'ignoreCase': <false>}")).out,
              QStringLiteral("(10,)"));
    EXPECT_EQ(command(QStringLiteral("search"), QStringLiteral("{'searchText': <'abc'>, 'fromOffset': <7>}")).out,
              QStringLiteral("(10,)"));
    EXPECT_EQ(command(QStringLiteral("search"), QStringLiteral("{'searchText': <'abc'>, 'fromOffset': <13>}")).out,
              QStringLiteral("(-1,)"));
    const QString illegal = QStringLiteral("io.wexel.Wexel.Error.Generic: MyDocument - illegal 'fromOffset'");
    EXPECT_EQ(command(QStringLiteral("search"), QStringLiteral("{'searchText': <'abc'>, 'fromOffset': <14>}")).error(),
              illegal);
    EXPECT_EQ(command(QStringLiteral("search"), QStringLiteral("{'searchText': <'abc'>, 'fromOffset': <-1>}")).error(),
              illegal);
    const QString missing = QStringLiteral("io.wexel.Wexel.Error.Generic: MyDocument - handleSearchCommand:");
    EXPECT_EQ(command(QStringLiteral("search"), QStringLiteral("{}")).error(), missing);
    EXPECT_EQ(command(QStringLiteral("search"), QStringLiteral("{'searchText': <''>}")).error(), missing);
    EXPECT_EQ(command(QStringLiteral("search"), QStringLiteral("{'searchText': <5>}")).error(),
              kInvalid + "Argument 'searchText' takes a string, not 'i'");
    EXPECT_EQ(command(QStringLiteral("search"), QStringLiteral("{'searchText': <'a'>, 'ignoreCase': <'no'>}")).error(),
              kInvalid + "Argument 'ignoreCase' takes a boolean, not 's'");
    EXPECT_EQ(command(QStringLiteral("search"), QStringLiteral("{'searchText': <'a'>, 'fromOffset': <1.5>}")).error(),
              kInvalid + "Argument 'fromOffset' takes an integer, not 'd'");
    EXPECT_EQ(command(QStringLiteral("search"), QStringLiteral("{'searchText': <'a'>, 'ignorecase': <false>}")).error(),
              kInvalid + "search has no argument 'ignorecase'");
    // The selection is where it was.
    EXPECT_EQ(read(QStringLiteral("selectedrange")), QStringLiteral("(<{'uni_length': <2>, 'uni_location': <1>}>,)"));
}

TEST_F(DocumentCommands, ReplaceAllNeedsBothTextsAndCountsItsReplacements)
{
    startEditor({session.writeFile(QStringLiteral("r.txt"), "aaa bbb AAA")});
    EXPECT_EQ(command(QStringLiteral("replaceAll"),
                      QStringLiteral("{'searchText': <'Bbb'>, 'replaceText': <'x'>, 'ignoreCase': <false>}"))
                  .out,
              QStringLiteral("(uint32 0,)"));
    EXPECT_EQ(read(QStringLiteral("text")), QStringLiteral("(<'aaa bbb AAA'>,)"));
    const QString missing = QStringLiteral("io.wexel.Wexel.Error.Generic: MyDocument - handleReplaceAllCommand:");
    EXPECT_EQ(command(QStringLiteral("replaceAll"), QStringLiteral("{'searchText': <'a'>}")).error(), missing);
    EXPECT_EQ(command(QStringLiteral("replaceAll"), QStringLiteral("{'replaceText': <'a'>}")).error(), missing);
    EXPECT_EQ(command(QStringLiteral("replaceAll"), QStringLiteral("{'searchText': <''>, 'replaceText': <'a'>}")).error(),
              missing);
    EXPECT_EQ(command(QStringLiteral("replaceAll"), QStringLiteral("{'searchText': <'a'>, 'replaceText': <1>}")).error(),
              kInvalid + "Argument 'replaceText' takes a string, not 'i'");
    EXPECT_EQ(command(QStringLiteral("replaceAll"),
                      QStringLiteral("{'searchText': <'a'>, 'replaceText': <''>, 'fromOffset': <0>}"))
                  .error(),
              kInvalid + "replaceAll has no argument 'fromOffset'");
    EXPECT_EQ(read(QStringLiteral("text")), QStringLiteral("(<'aaa bbb AAA'>,)"));
    // Case is ignored unless told otherwise; an empty replacement removes.
    EXPECT_EQ(command(QStringLiteral("replaceAll"), QStringLiteral("{'searchText': <'a'>, 'replaceText': <''>}")).out,
              QStringLiteral("(uint32 6,)"));
    EXPECT_EQ(read(QStringLiteral("text")), QStringLiteral("(<' bbb '>,)"));
}

TEST_F(DocumentCommands, ScrollToSelectionTakesNoArguments)
{
    startEditor({});
    EXPECT_EQ(command(QStringLiteral("scrollToSelection"), QStringLiteral("{}")).out, QStringLiteral("()"));
    EXPECT_EQ(command(QStringLiteral("scrollToSelection"), QStringLiteral("{'line': <3>}")).error(),
              kInvalid + "scrollToSelection has no argument 'line'");
    EXPECT_EQ(session.call(S::document(1), QStringLiteral("io.wexel.Wexel.Document.print"), {}).error(),
              QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod: No such method 'print' in interface "
                             "'io.wexel.Wexel.Document' at object path '/io/wexel/Wexel/Document/1' (signature '')"));
}

TEST_F(DocumentCommands, TwoDocumentsAreAddressedApart)
{
    startEditor({session.writeFile(QStringLiteral("one.txt"), "one one"),
                 session.writeFile(QStringLiteral("two.txt"), "two two")});
    ASSERT_TRUE(session.waitForDocuments({S::document(2), S::document(1)}));
    EXPECT_EQ(command(QStringLiteral("replaceAll"), QStringLiteral("{'searchText': <'one'>, 'replaceText': <'1'>}"), 1)
                  .out,
              QStringLiteral("(uint32 2,)"));
    EXPECT_EQ(session.set(S::document(2), QStringLiteral("encoding"), QStringLiteral("<'EUC'>")).exitCode, 0);
    EXPECT_EQ(read(QStringLiteral("text"), 1), QStringLiteral("(<'1 1'>,)"));
    EXPECT_EQ(read(QStringLiteral("text"), 2), QStringLiteral("(<'two two'>,)"));
    EXPECT_EQ(read(QStringLiteral("encoding"), 1), QStringLiteral("(<'UTF-8'>,)"));
    EXPECT_EQ(read(QStringLiteral("encoding"), 2), QStringLiteral("(<'EUC'>,)"));
    EXPECT_EQ(command(QStringLiteral("search"), QStringLiteral("{'searchText': <'two'>, 'fromOffset': <1>}"), 2).out,
              QStringLiteral("(4,)"));
}
}  // namespace
