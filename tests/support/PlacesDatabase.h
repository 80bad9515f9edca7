#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>

#include <sqlite3.h>

// A Firefox places.sqlite made by SQLite with the tables, columns and root
// folders that Firefox's own has, for the bookmark readers to read.
class PlacesDatabase {
public:
    enum RootId : int64_t { Root = 1, Menu = 2, Toolbar = 3, Tags = 4, Unfiled = 5, Mobile = 6 };

    explicit PlacesDatabase(const std::filesystem::path& file, bool writeAheadLog = false)
    {
        std::filesystem::create_directories(file.parent_path());
        if (sqlite3_open(file.c_str(), &mDatabase) != SQLITE_OK)
            throw std::runtime_error("cannot create " + file.string());
        if (writeAheadLog)
            exec("PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;");
        exec("CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR,"
             " rev_host LONGVARCHAR, visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL,"
             " typed INTEGER DEFAULT 0 NOT NULL, frecency INTEGER DEFAULT -1 NOT NULL,"
             " last_visit_date INTEGER, guid TEXT, url_hash INTEGER DEFAULT 0 NOT NULL);"
             "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL,"
             " parent INTEGER, position INTEGER, title LONGVARCHAR, keyword_id INTEGER, folder_type TEXT,"
             " dateAdded INTEGER, lastModified INTEGER, guid TEXT, syncStatus INTEGER NOT NULL DEFAULT 0,"
             " syncChangeCounter INTEGER NOT NULL DEFAULT 1);"
             "CREATE UNIQUE INDEX moz_bookmarks_guid_uniqueindex ON moz_bookmarks (guid);");
        exec("BEGIN");
        addRow(Root, 2, 0, 0, "", "root________");
        addRow(Menu, 2, 0, Root, "menu", "menu________");
        addRow(Toolbar, 2, 0, Root, "toolbar", "toolbar_____");
        addRow(Tags, 2, 0, Root, "tags", "tags________");
        addRow(Unfiled, 2, 0, Root, "unfiled", "unfiled_____");
        addRow(Mobile, 2, 0, Root, "mobile", "mobile______");
        exec("COMMIT");
    }
    ~PlacesDatabase() { sqlite3_close(mDatabase); }
    PlacesDatabase(const PlacesDatabase&) = delete;
    PlacesDatabase& operator=(const PlacesDatabase&) = delete;

    int64_t folder(int64_t parent, const std::string& title) { return addRow(0, 2, 0, parent, title, ""); }
    int64_t bookmark(int64_t parent, const std::string& title, const std::string& url)
    {
        sqlite3_stmt* statement = prepare("INSERT INTO moz_places (url, title) VALUES (?, ?)");
        sqlite3_bind_text(statement, 1, url.data(), static_cast<int>(url.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(statement, 2, title.data(), static_cast<int>(title.size()), SQLITE_TRANSIENT);
        run(statement);
        return addRow(0, 1, sqlite3_last_insert_rowid(mDatabase), parent, title, "");
    }
    int64_t separator(int64_t parent) { return addRow(0, 3, 0, parent, "", ""); }

    void exec(const std::string& sql)
    {
        char* message = nullptr;
        if (sqlite3_exec(mDatabase, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
            std::string text = message ? message : "?";
            sqlite3_free(message);
            throw std::runtime_error(sql + ": " + text);
        }
    }

private:
    int64_t addRow(int64_t id, int type, int64_t place, int64_t parent, const std::string& title,
                   const std::string& guid)
    {
        sqlite3_stmt* statement =
            prepare("INSERT INTO moz_bookmarks (id, type, fk, parent, position, title, guid)"
                    " VALUES (?, ?, ?, ?, ?, ?, ?)");
        if (id)
            sqlite3_bind_int64(statement, 1, id);
        sqlite3_bind_int(statement, 2, type);
        if (place)
            sqlite3_bind_int64(statement, 3, place);
        sqlite3_bind_int64(statement, 4, parent);
        sqlite3_bind_int64(statement, 5, mNextPosition[parent]++);
        if (!title.empty() || type == 2)
            sqlite3_bind_text(statement, 6, title.data(), static_cast<int>(title.size()), SQLITE_TRANSIENT);
        std::string rowGuid = guid.empty() ? "wexel" + std::to_string(++mGuidCount) : guid;
        sqlite3_bind_text(statement, 7, rowGuid.c_str(), -1, SQLITE_TRANSIENT);
        run(statement);
        return sqlite3_last_insert_rowid(mDatabase);
    }

    sqlite3_stmt* prepare(const char* sql)
    {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(mDatabase, sql, -1, &statement, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(mDatabase));
        return statement;
    }
    void run(sqlite3_stmt* statement)
    {
        int status = sqlite3_step(statement);
        sqlite3_finalize(statement);
        if (status != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(mDatabase));
    }

    sqlite3* mDatabase = nullptr;
    std::map<int64_t, int64_t> mNextPosition;
    int mGuidCount = 0;
};

// A Firefox home under home/.mozilla/firefox whose default profile is
// "abcd.default-release"; answers the profile's places.sqlite.
inline std::filesystem::path firefoxDefaultPlaces(const std::filesystem::path& home)
{
    std::filesystem::path root = home / ".mozilla" / "firefox";
    std::filesystem::create_directories(root / "abcd.default-release");
    std::ofstream(root / "profiles.ini") << "[Install4F96D1932A9F858E]\nDefault=abcd.default-release\nLocked=1\n\n"
                                            "[Profile0]\nName=default-release\nIsRelative=1\n"
                                            "Path=abcd.default-release\n\n[General]\nStartWithLastProfile=1\n";
    return root / "abcd.default-release" / "places.sqlite";
}
