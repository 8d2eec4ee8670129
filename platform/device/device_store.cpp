// The device model's SQLite database ("hardware.db" in the device folder): values, phonebook
// connections, recorded effects and scripted replies. One connection per process, reopened when
// the device folder changes; WAL mode with a busy time-out so every process of the device shares it.
#include <sqlite3.h>

#include <cstdlib>
#include <mutex>
#include <set>

#include "platform/device/device.h"
#include "platform/device/device_internal.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/device_folder.h"

namespace ce::device {
namespace {

const char kSchema[] =
    "CREATE TABLE IF NOT EXISTS state(name TEXT PRIMARY KEY, ival INTEGER, tval TEXT);"
    "CREATE TABLE IF NOT EXISTS connections(name TEXT PRIMARY KEY, guid TEXT, state INTEGER,"
    " sent INTEGER, received INTEGER);"
    "CREATE TABLE IF NOT EXISTS effects(id INTEGER PRIMARY KEY AUTOINCREMENT, kind TEXT, target TEXT,"
    " subject TEXT, body TEXT, account TEXT, value INTEGER, time INTEGER);"
    "CREATE TABLE IF NOT EXISTS script(op TEXT PRIMARY KEY, delay INTEGER, refusals INTEGER, code INTEGER,"
    " immediate INTEGER);";

class Statement {
 public:
  Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &s_, nullptr); }
  ~Statement() { sqlite3_finalize(s_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  Statement& Bind(int i, std::string_view t) {
    sqlite3_bind_text(s_, i, t.data() ? t.data() : "", static_cast<int>(t.size()), SQLITE_TRANSIENT);
    return *this;
  }
  Statement& Bind(int i, std::int64_t v) {
    sqlite3_bind_int64(s_, i, v);
    return *this;
  }
  bool Step() {
    rc_ = s_ ? sqlite3_step(s_) : SQLITE_ERROR;
    return rc_ == SQLITE_ROW;
  }
  bool Run() {
    rc_ = s_ ? sqlite3_step(s_) : SQLITE_ERROR;
    return rc_ == SQLITE_DONE || rc_ == SQLITE_ROW;
  }
  // Whether the last step failed (rather than found a row or the end).
  bool Failed() const { return rc_ != SQLITE_ROW && rc_ != SQLITE_DONE; }
  std::int64_t Int(int col) { return sqlite3_column_int64(s_, col); }
  std::string Text(int col) {
    auto p = sqlite3_column_text(s_, col);
    return p ? std::string(reinterpret_cast<const char*>(p), sqlite3_column_bytes(s_, col)) : std::string();
  }
  bool IsNull(int col) { return sqlite3_column_type(s_, col) == SQLITE_NULL; }

 private:
  sqlite3_stmt* s_ = nullptr;
  int rc_ = SQLITE_OK;
};

// Why this thread's last call on the model failed; empty after one that worked.
std::string& Failure() {
  thread_local std::string failure;
  return failure;
}

void Fail(sqlite3* db, const std::string& what) {
  const std::string file = (DeviceFolder() / "hardware.db").string();
  Failure() = what + " the device model " + file + (db ? std::string(" (") + sqlite3_errmsg(db) + ")" : std::string());
}

struct Db {
  std::mutex mu;
  sqlite3* db = nullptr;
  std::filesystem::path folder;
  bool created = false;  // the database was new when opened: the registry mirror is seeded
};

Db& TheDb() {
  static Db* d = new Db;  // lives for the process, as callback threads may use it to the end
  return *d;
}

// Opens the database of the current device folder; lock held.
sqlite3* OpenLocked(Db& d) {
  std::filesystem::path folder = DeviceFolder();
  if (d.db && d.folder == folder) return d.db;
  if (d.db) sqlite3_close(d.db);
  d.db = nullptr;
  std::filesystem::path file = folder / "hardware.db";
  std::error_code ec;
  bool existed = std::filesystem::exists(file, ec);
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                      nullptr) != SQLITE_OK) {
    Fail(db, "cannot open");
    sqlite3_close(db);
    return nullptr;
  }
  sqlite3_busy_timeout(db, 10000);
  // An existing model is opened without writing anything (a read-only folder still reads).
  bool present = false;
  {
    Statement tables(db,
                     "SELECT count(*) FROM sqlite_master WHERE type='table' AND name IN ('state', 'connections',"
                     " 'effects', 'script')");
    if (tables.Step()) present = tables.Int(0) == 4;
    if (tables.Failed()) {
      Fail(db, "cannot read");
      sqlite3_close(db);
      return nullptr;
    }
  }
  if (!present) {
    sqlite3_exec(db, "PRAGMA journal_mode=WAL;", nullptr, nullptr, nullptr);
    if (sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr) != SQLITE_OK) {
      Fail(db, "cannot set up");
      sqlite3_close(db);
      return nullptr;
    }
  }
  sqlite3_exec(db, "PRAGMA synchronous=NORMAL;", nullptr, nullptr, nullptr);
  if (!existed) {
    // A new phone has one data connection in its phonebook.
    sqlite3_exec(db,
                 "INSERT OR IGNORE INTO connections(name, guid, state, sent, received) VALUES("
                 "'Internet', '{436EF144-B4FB-4863-A041-8F905A62C572}', 0, 0, 0)",
                 nullptr, nullptr, nullptr);
  }
  d.db = db;
  d.folder = folder;
  d.created = !existed;
  return db;
}

class SqlTransaction : public Transaction {
 public:
  explicit SqlTransaction(sqlite3* db) : db_(db) {}
  std::int64_t GetInt(std::string_view name) override {
    Statement s(db_, "SELECT ival FROM state WHERE name=?");
    s.Bind(1, name);
    if (s.Step() && !s.IsNull(0)) return s.Int(0);
    if (s.Failed()) failed = true;
    const Setting* setting = FindSetting(name);
    return setting && !setting->is_text ? std::strtoll(setting->initial, nullptr, 0) : 0;
  }
  std::string GetText(std::string_view name) override {
    Statement s(db_, "SELECT tval FROM state WHERE name=?");
    s.Bind(1, name);
    if (s.Step() && !s.IsNull(0)) return s.Text(0);
    if (s.Failed()) failed = true;
    const Setting* setting = FindSetting(name);
    return setting && setting->is_text ? setting->initial : std::string();
  }
  void SetInt(std::string_view name, std::int64_t value) override {
    if (GetInt(name) == value) return;
    Statement s(db_, "INSERT OR REPLACE INTO state(name, ival, tval) VALUES(?, ?, NULL)");
    if (!s.Bind(1, name).Bind(2, value).Run()) failed = true;
    changed.insert(std::string(name));
  }
  void SetText(std::string_view name, std::string_view value) override {
    if (GetText(name) == value) return;
    Statement s(db_, "INSERT OR REPLACE INTO state(name, ival, tval) VALUES(?, NULL, ?)");
    if (!s.Bind(1, name).Bind(2, value).Run()) failed = true;
    changed.insert(std::string(name));
  }
  std::set<std::string> changed;
  bool failed = false;  // a read or write inside failed: the transaction is not committed

 private:
  sqlite3* db_;
};

// Runs `work` in one immediate transaction; afterwards mirrors and announces when `announce`.
bool InTransaction(const std::function<bool(sqlite3*, SqlTransaction&)>& work, bool announce) {
  Db& d = TheDb();
  std::vector<std::string> changed;
  bool seed = false;
  Failure().clear();
  {
    std::lock_guard<std::mutex> guard(d.mu);
    sqlite3* db = OpenLocked(d);
    if (!db) return false;
    if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
      Fail(db, "cannot change");
      return false;
    }
    SqlTransaction t(db);
    bool ok = work(db, t) && !t.failed;
    if (ok && t.changed.count("radio.power") && t.GetInt("radio.power") == 0) {
      // The phone radio going off drops every data connection.
      Statement drop(db, "UPDATE connections SET state=0, sent=0, received=0 WHERE state != 0");
      drop.Run();
      if (sqlite3_changes(db) > 0) t.changed.insert("connections");
    }
    if (!ok || sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
      Fail(db, "cannot change");
      sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
      return false;
    }
    changed.assign(t.changed.begin(), t.changed.end());
    seed = d.created;
    d.created = false;
  }
  if (seed || !changed.empty()) internal::MirrorToRegistry(changed, seed);
  if (announce) internal::AnnounceChange();
  return true;
}

template <class Result>
Result Read(const std::function<Result(sqlite3*, SqlTransaction&)>& read, Result fallback) {
  Db& d = TheDb();
  bool seed = false;
  Result r = fallback;
  Failure().clear();
  {
    std::lock_guard<std::mutex> guard(d.mu);
    sqlite3* db = OpenLocked(d);
    if (!db) return fallback;
    SqlTransaction t(db);
    r = read(db, t);
    if (t.failed) {
      Fail(db, "cannot read");
      return fallback;
    }
    seed = d.created;
    d.created = false;
  }
  if (seed) internal::MirrorToRegistry({}, true);
  return r;
}

}  // namespace

// A model that cannot be opened (a damaged hardware.db) reads as a new device.
std::int64_t GetInt(std::string_view name) {
  const Setting* s = FindSetting(name);
  const std::int64_t initial = s && !s->is_text ? std::strtoll(s->initial, nullptr, 0) : 0;
  return Read<std::int64_t>([&](sqlite3*, SqlTransaction& t) { return t.GetInt(name); }, initial);
}

std::string GetText(std::string_view name) {
  const Setting* s = FindSetting(name);
  return Read<std::string>([&](sqlite3*, SqlTransaction& t) { return t.GetText(name); },
                           s && s->is_text ? s->initial : std::string());
}

bool Available() {
  Db& d = TheDb();
  Failure().clear();
  std::lock_guard<std::mutex> guard(d.mu);
  return OpenLocked(d) != nullptr;
}

const std::string& LastFailure() { return Failure(); }

bool SetInt(std::string_view name, std::int64_t value) {
  const Setting* s = FindSetting(name);
  if (!s || s->is_text || value < s->min || value > s->max) return false;
  return InTransaction([&](sqlite3*, SqlTransaction& t) { t.SetInt(name, value); return true; }, true);
}

bool SetText(std::string_view name, std::string_view value) {
  const Setting* s = FindSetting(name);
  if (!s || !s->is_text || static_cast<long long>(value.size()) < s->min ||
      static_cast<long long>(value.size()) > s->max)
    return false;
  return InTransaction([&](sqlite3*, SqlTransaction& t) { t.SetText(name, value); return true; }, true);
}

bool Update(const std::function<void(Transaction&)>& change) {
  return InTransaction([&](sqlite3*, SqlTransaction& t) { change(t); return true; }, true);
}

std::vector<Connection> Connections() {
  return Read<std::vector<Connection>>(
      [](sqlite3* db, SqlTransaction& t) {
        std::vector<Connection> list;
        Statement s(db, "SELECT name, guid, state, sent, received FROM connections ORDER BY rowid");
        while (s.Step())
          list.push_back({s.Text(0), s.Text(1), static_cast<int>(s.Int(2)), static_cast<std::uint32_t>(s.Int(3)),
                          static_cast<std::uint32_t>(s.Int(4))});
        t.failed = t.failed || s.Failed();
        return list;
      },
      {});
}

bool PutConnection(const Connection& c) {
  bool ok = InTransaction(
      [&](sqlite3* db, SqlTransaction& t) {
        Statement find(db, "SELECT rowid FROM connections WHERE name=?");
        find.Bind(1, c.name);
        const char* sql = find.Step()
                              ? "UPDATE connections SET guid=?2, state=?3, sent=?4, received=?5 WHERE name=?1"
                              : "INSERT INTO connections(name, guid, state, sent, received) VALUES(?1, ?2, ?3, ?4, ?5)";
        Statement s(db, sql);
        s.Bind(1, c.name).Bind(2, c.guid).Bind(3, std::int64_t{c.state}).Bind(4, std::int64_t{c.sent});
        s.Bind(5, std::int64_t{c.received});
        t.changed.insert("connections");
        return s.Run();
      },
      true);
  return ok;
}

bool RemoveConnection(std::string_view name) {
  bool found = false;
  bool ok = InTransaction(
      [&](sqlite3* db, SqlTransaction& t) {
        Statement s(db, "DELETE FROM connections WHERE name=?");
        s.Bind(1, name).Run();
        found = sqlite3_changes(db) > 0;
        t.changed.insert("connections");
        return true;
      },
      true);
  return ok && found;
}

std::int64_t Now() { return ce::kernel::SystemTimeUtc(); }

void Record(const Effect& e) {
  InTransaction(
      [&](sqlite3* db, SqlTransaction&) {
        Statement s(db,
                    "INSERT INTO effects(kind, target, subject, body, account, value, time) VALUES(?,?,?,?,?,?,?)");
        s.Bind(1, e.kind).Bind(2, e.target).Bind(3, e.subject).Bind(4, e.body).Bind(5, e.account);
        s.Bind(6, e.value).Bind(7, e.time ? e.time : Now());
        return s.Run();
      },
      true);
}

std::vector<Effect> Effects(std::string_view kind) {
  return Read<std::vector<Effect>>(
      [&](sqlite3* db, SqlTransaction& t) {
        std::vector<Effect> list;
        Statement s(db,
                    "SELECT id, kind, target, subject, body, account, value, time FROM effects"
                    " WHERE ?1 = '' OR kind = ?1 ORDER BY id");
        s.Bind(1, kind);
        while (s.Step())
          list.push_back({s.Int(0), s.Text(1), s.Text(2), s.Text(3), s.Text(4), s.Text(5), s.Int(6), s.Int(7)});
        t.failed = t.failed || s.Failed();
        return list;
      },
      {});
}

bool ClearEffects() {
  return InTransaction([](sqlite3* db, SqlTransaction&) { return Statement(db, "DELETE FROM effects").Run(); }, false);
}

Reply TakeReply(std::string_view op) {
  Reply reply;
  InTransaction(
      [&](sqlite3* db, SqlTransaction&) {
        Statement s(db, "SELECT delay, refusals, code, immediate FROM script WHERE op=?");
        s.Bind(1, op);
        if (!s.Step()) return true;
        reply.delay_ms = static_cast<std::uint32_t>(s.Int(0));
        if (s.Int(1) > 0) {
          reply.refused = true;
          reply.code = s.Int(2);
          reply.immediate = s.Int(3) != 0;
          Statement use(db, "UPDATE script SET refusals = refusals - 1 WHERE op=?");
          use.Bind(1, op).Run();
        }
        return true;
      },
      false);
  return reply;
}

bool ScriptRefusal(std::string_view op, std::int64_t code, bool immediate, int times) {
  return InTransaction(
      [&](sqlite3* db, SqlTransaction&) {
        Statement s(db,
                    "INSERT INTO script(op, delay, refusals, code, immediate) VALUES(?1, 0, ?2, ?3, ?4)"
                    " ON CONFLICT(op) DO UPDATE SET refusals=?2, code=?3, immediate=?4");
        s.Bind(1, op).Bind(2, std::int64_t{times}).Bind(3, code).Bind(4, std::int64_t{immediate ? 1 : 0});
        return s.Run();
      },
      false);
}

bool ScriptDelay(std::string_view op, std::uint32_t delay_ms) {
  return InTransaction(
      [&](sqlite3* db, SqlTransaction&) {
        Statement s(db,
                    "INSERT INTO script(op, delay, refusals, code, immediate) VALUES(?1, ?2, 0, 0, 0)"
                    " ON CONFLICT(op) DO UPDATE SET delay=?2");
        s.Bind(1, op).Bind(2, std::int64_t{delay_ms});
        return s.Run();
      },
      false);
}

std::vector<ScriptEntry> Script() {
  return Read<std::vector<ScriptEntry>>(
      [](sqlite3* db, SqlTransaction& t) {
        std::vector<ScriptEntry> list;
        Statement s(db, "SELECT op, delay, refusals, code, immediate FROM script ORDER BY op");
        while (s.Step())
          list.push_back({s.Text(0), static_cast<std::uint32_t>(s.Int(1)), static_cast<int>(s.Int(2)), s.Int(3),
                          s.Int(4) != 0});
        t.failed = t.failed || s.Failed();
        return list;
      },
      {});
}

bool ClearScript() {
  return InTransaction([](sqlite3* db, SqlTransaction&) { return Statement(db, "DELETE FROM script").Run(); }, false);
}

}  // namespace ce::device
