#include "bookmarks/WFirefoxBookmarks.h"

#include <cstdlib>
#include <map>
#include <memory>
#include <set>
#include <system_error>
#include <unistd.h>

#include <sqlite3.h>

#include "bookmarks/WBookmarkText.h"

namespace {

// The database's copy and its folder, gone with this object.
class PrivateCopy {
public:
    explicit PrivateCopy(const std::filesystem::path& database)
    {
        std::error_code error;
        std::string pattern = (std::filesystem::temp_directory_path(error) / "wexel-places-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            return;
        mFolder = pattern;
        std::filesystem::path copy = mFolder / "places.sqlite";
        if (!std::filesystem::copy_file(database, copy, error))
            return;
        std::filesystem::path log = database;
        log += "-wal";
        if (std::filesystem::is_regular_file(log, error)) {
            std::filesystem::path logCopy = copy;
            logCopy += "-wal";
            std::filesystem::copy_file(log, logCopy, error);
        }
        mDatabase = copy;
    }
    ~PrivateCopy()
    {
        if (!mFolder.empty()) {
            std::error_code error;
            std::filesystem::remove_all(mFolder, error);
        }
    }
    PrivateCopy(const PrivateCopy&) = delete;
    PrivateCopy& operator=(const PrivateCopy&) = delete;

    const std::filesystem::path& database() const { return mDatabase; }

private:
    std::filesystem::path mFolder;
    std::filesystem::path mDatabase;
};

struct Row {
    int64_t id;
    int type;  // 1 bookmark, 2 folder, 3 separator
    std::string title;
    std::string url;
    std::string guid;
};

std::string columnText(sqlite3_stmt* statement, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(statement, column))) : std::string();
}

class Tree {
public:
    std::map<int64_t, std::vector<Row>> childrenOf;  // in stored position order
    size_t skipped = 0;

    std::vector<WBookmark> entriesOf(int64_t folder, int depth)
    {
        std::vector<WBookmark> entries;
        auto found = childrenOf.find(folder);
        if (found == childrenOf.end())
            return entries;
        if (depth >= WBookmarkMaxDepth || !mEntered.insert(folder).second) {
            skipped += found->second.size();  // too deep, or a folder inside itself
            return entries;
        }
        for (const Row& row : found->second) {
            if (row.type == 3) {
                entries.push_back(WBookmark::separator());
                continue;
            }
            std::optional<std::u16string> url = row.type == 1 ? WBookmarkText::url(row.url) : std::u16string();
            std::optional<std::u16string> title = url ? WBookmarkText::title(row.title, *url) : std::nullopt;
            if (!title || (row.type != 1 && row.type != 2) || (row.type == 2 && title->empty())) {
                ++skipped;
                continue;
            }
            if (row.type == 1)
                entries.push_back(WBookmark::link(std::move(*title), std::move(*url)));
            else
                entries.push_back(WBookmark::folder(std::move(*title), entriesOf(row.id, depth + 1)));
        }
        return entries;
    }

private:
    std::set<int64_t> mEntered;
};

struct Root {
    const char* guid;
    const char16_t* title;
    bool keptWhenEmpty;
};

constexpr Root kRoots[] = {
    {"menu________", u"Bookmarks Menu", true},
    {"toolbar_____", u"Bookmarks Toolbar", true},
    {"unfiled_____", u"Other Bookmarks", true},
    {"mobile______", u"Mobile Bookmarks", false},
};

// Copied whole at every read; history makes real ones tens of megabytes.
constexpr uintmax_t kLargestDatabase = uintmax_t(1) << 30;

}  // namespace

WBookmarkStore WFirefoxBookmarks::read(const std::filesystem::path& placesFile)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(placesFile, error))
        return WBookmarkStore::failed("no database");
    if (std::filesystem::file_size(placesFile, error) > kLargestDatabase)
        return WBookmarkStore::failed("the database is larger than any real profile's");
    PrivateCopy copy(placesFile);
    if (copy.database().empty())
        return WBookmarkStore::failed("cannot copy the database");

    sqlite3* raw = nullptr;
    int status = sqlite3_open_v2(copy.database().c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    std::unique_ptr<sqlite3, int (*)(sqlite3*)> database(raw, sqlite3_close);
    if (status != SQLITE_OK)
        return WBookmarkStore::failed(raw ? sqlite3_errmsg(raw) : "cannot open the database");

    const char* query =
        "SELECT b.id, b.type, b.parent, IFNULL(b.title, ''), IFNULL(p.url, ''), IFNULL(b.guid, '') "
        "FROM moz_bookmarks b LEFT JOIN moz_places p ON p.id = b.fk ORDER BY b.parent, b.position, b.id";
    sqlite3_stmt* rawStatement = nullptr;
    if (sqlite3_prepare_v2(database.get(), query, -1, &rawStatement, nullptr) != SQLITE_OK)
        return WBookmarkStore::failed(sqlite3_errmsg(database.get()));
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(rawStatement, sqlite3_finalize);

    Tree tree;
    std::map<std::string, int64_t> rootIds;
    while ((status = sqlite3_step(statement.get())) == SQLITE_ROW) {
        Row row{sqlite3_column_int64(statement.get(), 0), sqlite3_column_int(statement.get(), 1),
                columnText(statement.get(), 3), columnText(statement.get(), 4), columnText(statement.get(), 5)};
        int64_t parent = sqlite3_column_int64(statement.get(), 2);
        if (row.type == 2)
            rootIds.emplace(row.guid, row.id);
        tree.childrenOf[parent].push_back(std::move(row));
    }
    if (status != SQLITE_DONE)
        return WBookmarkStore::failed(sqlite3_errmsg(database.get()));

    WBookmarkStore store;
    for (const Root& root : kRoots) {
        auto id = rootIds.find(root.guid);
        std::vector<WBookmark> entries = id == rootIds.end() ? std::vector<WBookmark>() : tree.entriesOf(id->second, 1);
        if (!entries.empty() || root.keptWhenEmpty)
            store.folders.push_back(WBookmark::folder(root.title, std::move(entries)));
    }
    store.skipped = tree.skipped;
    return store;
}
