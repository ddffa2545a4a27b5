#pragma once

#include <QString>
#include <QUrl>

namespace quittora {

class Prompts;
class Shell;
struct AppContext;

namespace update {

// Where the newest version's text is published, and the page the Yes answer
// opens. Nothing the server sends is ever opened or started: its answer is
// only compared and shown as text.
QUrl defaultVersionUrl();
QUrl downloadPageUrl();

// The environment variable that replaces the version address; set but empty,
// it switches the check off.
inline constexpr char kUrlVariable[] = "QUITTORA_UPDATE_URL";
inline constexpr int kTimeLimitMs = 5000;
inline constexpr qint64 kMaxBytes = 50000;

// The address to ask: QUITTORA_UPDATE_URL when it is set, otherwise
// defaultVersionUrl(). Empty when the check is switched off.
QUrl versionUrl();

// The version text the server holds, fetched fresh (never from a cache), at
// most kMaxBytes of it. Empty when the address is empty or not http(s), on
// any network failure, an HTTP error status, or when the time limit passes.
// Waits in a local event loop, so windows keep being painted meanwhile.
QString fetchNewestVersion(const QUrl& url, int timeLimitMs = kTimeLimitMs);

// True when the user is to be asked: the server named a version and its text
// is not exactly the installed version text (a trailing line break counts as
// a difference).
bool offersUpdate(const QString& newest, const QString& installed);

QString questionTitle(); // "eine neue Version steht zur Verfügung"
QString questionText(const QString& newest, const QString& installed);

enum class Decision { Continue, EndProgram };

// Asks when offersUpdate() says so. Yes opens downloadPageUrl() in the browser
// and answers EndProgram, so that the installer can replace the program; when
// the browser cannot be started the user is told and the program goes on.
Decision decide(Prompts& prompts, Shell& shell, const QString& newest, const QString& installed);

// The start-up step: fetch from versionUrl() with the wait cursor, keep the
// answer in ctx.state.newestVersion, then decide().
Decision runUpdateCheck(AppContext& ctx, const QString& installed, int timeLimitMs = kTimeLimitMs);

} // namespace update
} // namespace quittora
