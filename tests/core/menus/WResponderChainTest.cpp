#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "menus/WMenu.h"
#include "menus/WResponderChain.h"

namespace {

// A responder that handles a fixed set of actions and records what it did.
class Recorder : public WResponder {
public:
    explicit Recorder(std::map<std::string, bool> actions) : mActions(std::move(actions)) {}

    bool tryToPerform(std::string_view action, WMenuItem* sender) override
    {
        if (!respondsToAction(action))
            return false;
        performed.push_back({std::string(action), sender});
        return true;
    }
    bool respondsToAction(std::string_view action) const override
    {
        return mActions.count(std::string(action)) > 0;
    }
    bool validateMenuItem(WMenuItem& item) override
    {
        item.setState(WOnState);
        return mActions.at(item.action());
    }

    std::vector<std::pair<std::string, WMenuItem*>> performed;

private:
    std::map<std::string, bool> mActions;  // action -> enabled
};

}  // namespace

TEST(ResponderChain, TheFirstResponderThatHandlesTheActionGetsIt)
{
    Recorder view({{"insertMenuTag:", true}, {"copy:", false}});
    Recorder document({{"insertMenuTag:", true}, {"executeScript:", true}, {"copy:", true}});
    WResponderChain chain({nullptr, &view, &document});

    WMenu menu;
    WMenuItem& tag = menu.addItemWithTitle(u"b", "insertMenuTag:");
    WMenuItem& script = menu.addItemWithTitle(u"s", "executeScript:");
    WMenuItem& copy = menu.addItemWithTitle(u"Copy", "copy:");
    WMenuItem& unknown = menu.addItemWithTitle(u"?", "nobodyHandles:");
    WMenuItem& noAction = menu.addItemWithTitle(u"no item", "");
    WMenuItem& holder = menu.addItemWithTitle(u"Tags", "");
    holder.setSubmenu(std::make_unique<WMenu>());
    menu.addSeparatorItem();

    EXPECT_TRUE(chain.sendAction(tag));
    EXPECT_TRUE(chain.sendAction(script));
    ASSERT_EQ(view.performed.size(), 1u);
    EXPECT_EQ(view.performed[0].second, &tag);
    ASSERT_EQ(document.performed.size(), 1u);
    EXPECT_EQ(document.performed[0].first, "executeScript:");

    // The view claims copy: and disables it; the document further on does not get it.
    EXPECT_FALSE(chain.sendAction(copy));
    EXPECT_FALSE(chain.sendAction(unknown));
    EXPECT_FALSE(chain.sendAction(noAction));
    EXPECT_EQ(document.performed.size(), 1u);

    chain.validateMenu(menu);
    std::vector<bool> enabled;
    for (const auto& item : menu.itemArray())
        enabled.push_back(item->isEnabled());
    EXPECT_EQ(enabled, (std::vector<bool>{true, true, false, false, false, true, false}));
    EXPECT_EQ(copy.state(), WOnState);
}
