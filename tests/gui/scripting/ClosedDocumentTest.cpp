// A document closed while a client holds its path, with the service running
// in this process so that the test closes the window itself.
#include <QDBusConnection>
#include <QThread>

#include "ScriptingSession.h"
#include "app/WApplicationDel.h"
#include "app/WDocumentController.h"
#include "app/WPresenter.h"
#include "app/WQtPlatform.h"
#include "document/MyDocument.h"
#include "canvas/WTextCanvas.h"
#include "platform/WPlatform.h"
#include "scripting/WScriptingService.h"

namespace {
using S = ScriptingSession;

// Closing an edited window: "Don't Save".
class DiscardingPresenter : public WPresenter {
public:
    int ask(QWidget*, const QString&, const QString&, const QStringList&) override { return 1; }
};

class ClosedDocument : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(session.isReady());
        WPlatform::setShared(&platform);
        WPresenter::setShared(std::make_unique<DiscardingPresenter>());
        application = std::make_unique<WApplicationDel>(session.home(QStringLiteral("Wexel.plist")));
        bus = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(session.address(), kBusName));
        ASSERT_TRUE(bus->isConnected());
        started = WScriptingService::start(documents(), {}, false, *bus);
        ASSERT_TRUE(started.service);
    }
    void TearDown() override
    {
        started.service.reset();
        application.reset();
        bus.reset();
        QDBusConnection::disconnectFromBus(kBusName);
        WPresenter::setShared(nullptr);
        WPlatform::setShared(nullptr);
    }
    WDocumentController& documents() { return application->documentController(); }

    static inline const QString kBusName = QStringLiteral("closed-document-test");
    ScriptingSession session;
    WQtPlatform platform;
    std::unique_ptr<WApplicationDel> application;
    std::unique_ptr<QDBusConnection> bus;
    WScriptingService::Start started;
};

TEST_F(ClosedDocument, AnswersNoSuchObjectAndItsNumberIsNotGivenAgain)
{
    MyDocument* first = documents().newDocument();
    MyDocument* second = documents().newDocument();
    ASSERT_EQ(session.set(S::document(1), QStringLiteral("selectedtext"), QStringLiteral("<'kept?'>")).exitCode, 0);
    ASSERT_EQ(first->text(), QStringLiteral("kept?"));

    // Edited just before closing, so a change report is still due when it goes.
    first->textView()->selectAll();
    ASSERT_TRUE(documents().closeDocument(first));
    for (const QString& property : {QStringLiteral("text"), QStringLiteral("selectedrange")}) {
        EXPECT_EQ(session.get(S::document(1), property).error(),
                  QStringLiteral("org.freedesktop.DBus.Error.UnknownObject: No such object path '%1'")
                      .arg(S::document(1)));
    }
    EXPECT_EQ(session.call(S::document(1), QStringLiteral("io.wexel.Wexel.Document.search"),
                           {QStringLiteral("{'searchText': <'k'>}")})
                  .error(),
              QStringLiteral("org.freedesktop.DBus.Error.UnknownObject: No such object path '%1'").arg(S::document(1)));
    EXPECT_EQ(session.documents(), QStringList{S::document(2)});

    ASSERT_TRUE(documents().closeDocument(second));
    EXPECT_EQ(session.documents(), QStringList());
    EXPECT_EQ(session.call(S::kApplication, QStringLiteral("io.wexel.Wexel.Application.create")).out,
              QStringLiteral("(objectpath '%1',)").arg(S::document(3)));
    EXPECT_EQ(session.get(S::document(3), QStringLiteral("text")).out, QStringLiteral("(<''>,)"));
}
}  // namespace
