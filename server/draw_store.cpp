#include "draw_store.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <unistd.h>

namespace zorlith {

namespace {

// Finalises a statement on every way out of a function.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) {
        sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr);
    }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt* get() const { return statement_; }
    explicit operator bool() const { return statement_ != nullptr; }

private:
    sqlite3_stmt* statement_ = nullptr;
};

} // namespace

std::unique_ptr<DrawStore> DrawStore::Open(const std::string& path, std::string& error) {
    const std::string lockPath = path + ".lock";
    const int lockFd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (lockFd < 0) {
        error = "无法创建锁文件 " + lockPath;
        return nullptr;
    }
    if (flock(lockFd, LOCK_EX | LOCK_NB) != 0) {
        ::close(lockFd);
        error = "数据库 " + path + " 已被另一个 zorlith-drawd 使用";
        return nullptr;
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        error = "无法打开数据库 " + path + "：" + (db ? sqlite3_errmsg(db) : "内存不足");
        sqlite3_close(db);
        ::close(lockFd);
        return nullptr;
    }
    std::unique_ptr<DrawStore> store(new DrawStore(db, lockFd));
    // Tokens are written with NORMAL: a crash of the process loses none, a power cut may lose
    // the latest. Draws are written with FULL (see append).
    if (!store->execute("PRAGMA journal_mode=WAL;"
                        "PRAGMA synchronous=NORMAL;"
                        "PRAGMA busy_timeout=5000;"
                        "CREATE TABLE IF NOT EXISTS draws ("
                        " issue INTEGER PRIMARY KEY,"
                        " drawn_at INTEGER NOT NULL,"
                        " numbers TEXT NOT NULL,"
                        " seed INTEGER NOT NULL);"
                        "CREATE TABLE IF NOT EXISTS tokens ("
                        " token TEXT PRIMARY KEY,"
                        " last_use INTEGER NOT NULL);"
                        "CREATE INDEX IF NOT EXISTS tokens_by_use ON tokens (last_use);",
                        error)) {
        error = "无法初始化数据库 " + path + "：" + error;
        return nullptr;
    }
    return store;
}

DrawStore::~DrawStore() {
    sqlite3_close(db_);
    ::close(lockFd_);
}

bool DrawStore::execute(const char* sql, std::string& error) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        error = message ? message : sqlite3_errmsg(db_);
        sqlite3_free(message);
        return false;
    }
    return true;
}

bool DrawStore::empty() {
    return count() == 0;
}

int64_t DrawStore::count() {
    std::lock_guard lock(mutex_);
    Statement statement(db_, "SELECT COUNT(*) FROM draws");
    if (!statement || sqlite3_step(statement.get()) != SQLITE_ROW) {
        return 0;
    }
    return sqlite3_column_int64(statement.get(), 0);
}

std::vector<StoredDraw> DrawStore::newest(size_t limit) {
    std::lock_guard lock(mutex_);
    std::vector<StoredDraw> draws;
    Statement statement(
        db_, "SELECT issue, drawn_at, numbers, seed FROM draws ORDER BY issue DESC LIMIT ?");
    if (!statement) {
        return draws;
    }
    sqlite3_bind_int64(statement.get(), 1, static_cast<sqlite3_int64>(limit));
    while (sqlite3_step(statement.get()) == SQLITE_ROW) {
        StoredDraw draw;
        draw.issue = sqlite3_column_int64(statement.get(), 0);
        draw.drawnAt = sqlite3_column_int64(statement.get(), 1);
        const auto* numbers = sqlite3_column_text(statement.get(), 2);
        draw.numbers = numbers ? reinterpret_cast<const char*>(numbers) : "";
        draw.seed = sqlite3_column_int(statement.get(), 3);
        draws.push_back(std::move(draw));
    }
    return draws;
}

bool DrawStore::append(const std::vector<StoredDraw>& draws, std::string& error) {
    std::lock_guard lock(mutex_);
    // A draw that a client has seen must survive even a power cut, or its issue could be drawn
    // again differently; draws are few, so each commit waits for the disk.
    std::string ignored;
    execute("PRAGMA synchronous=FULL", ignored);
    const bool committed = appendLocked(draws, error);
    execute("PRAGMA synchronous=NORMAL", ignored);
    return committed;
}

bool DrawStore::appendLocked(const std::vector<StoredDraw>& draws, std::string& error) {
    if (!execute("BEGIN IMMEDIATE", error)) {
        return false;
    }
    Statement statement(db_,
                        "INSERT INTO draws (issue, drawn_at, numbers, seed) VALUES (?, ?, ?, ?)");
    bool ok = static_cast<bool>(statement);
    for (const StoredDraw& draw : draws) {
        if (!ok) {
            break;
        }
        sqlite3_bind_int64(statement.get(), 1, draw.issue);
        sqlite3_bind_int64(statement.get(), 2, draw.drawnAt);
        sqlite3_bind_text(statement.get(), 3, draw.numbers.c_str(),
                          static_cast<int>(draw.numbers.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(statement.get(), 4, draw.seed);
        ok = sqlite3_step(statement.get()) == SQLITE_DONE;
        sqlite3_reset(statement.get());
    }
    if (!ok) {
        error = sqlite3_errmsg(db_);
        std::string ignored;
        execute("ROLLBACK", ignored);
        return false;
    }
    return execute("COMMIT", error);
}

bool DrawStore::saveToken(const std::string& token, int64_t lastUse) {
    std::lock_guard lock(mutex_);
    Statement statement(db_, "INSERT OR REPLACE INTO tokens (token, last_use) VALUES (?, ?)");
    if (!statement) {
        return false;
    }
    sqlite3_bind_text(statement.get(), 1, token.c_str(), static_cast<int>(token.size()),
                      SQLITE_TRANSIENT);
    sqlite3_bind_int64(statement.get(), 2, lastUse);
    return sqlite3_step(statement.get()) == SQLITE_DONE;
}

std::optional<int64_t> DrawStore::tokenLastUse(const std::string& token) {
    std::lock_guard lock(mutex_);
    Statement statement(db_, "SELECT last_use FROM tokens WHERE token = ?");
    if (!statement) {
        return std::nullopt;
    }
    sqlite3_bind_text(statement.get(), 1, token.c_str(), static_cast<int>(token.size()),
                      SQLITE_TRANSIENT);
    if (sqlite3_step(statement.get()) != SQLITE_ROW) {
        return std::nullopt;
    }
    return sqlite3_column_int64(statement.get(), 0);
}

void DrawStore::forgetTokens(int64_t cutoff, size_t keep) {
    std::lock_guard lock(mutex_);
    Statement statement(db_, "DELETE FROM tokens WHERE last_use < ? OR token NOT IN"
                             " (SELECT token FROM tokens ORDER BY last_use DESC LIMIT ?)");
    if (statement) {
        sqlite3_bind_int64(statement.get(), 1, cutoff);
        sqlite3_bind_int64(statement.get(), 2, static_cast<sqlite3_int64>(keep));
        sqlite3_step(statement.get());
    }
}

} // namespace zorlith
