#pragma once

#include <QElapsedTimer>
#include <QString>

#include <functional>

namespace quittora {

class RechnungWindow;

// A measuring hook for the start-up benchmark: with the environment variable
// QUITTORA_EXIT_WHEN_READY=1 the program writes one line to stdout once its
// main window is ready and then ends:
//   QUITTORA_READY ms=<since main()> peak_kib=<VmHWM> rss_kib=<VmRSS> documents=<in Data3>
// Ready means shown, with the last document made current by Timer3 and the
// customer and lines synced to it by Timer5 (the deferred work of loading).
// The memory values are -1 where the system does not tell them.
namespace ready {

inline constexpr char kVariable[] = "QUITTORA_EXIT_WHEN_READY";

bool requested();
// Calls onReady once, as soon as the window's loading has finished: Timer3
// has made the last document current and no sync (Timer5) is pending any
// more. Call it right after the window was bound (rebind()).
void whenReady(RechnungWindow& window, std::function<void()> onReady);
// whenReady with the report line on stdout and the end of the event loop.
void exitWhenReady(RechnungWindow& window, const QElapsedTimer& sinceStart);

// From /proc/self/status ("VmHWM", "VmRSS"): the value in KiB, or -1.
qint64 statusKib(const char* field);
// The peak resident memory so far in KiB: VmHWM, or VmRSS where that is
// higher (the kernel brings VmHWM up to date only now and then); -1 when
// the system does not tell.
qint64 peakResidentKib();
QString reportLine(qint64 ms, qint64 peakKib, qint64 rssKib, int documents);

} // namespace ready

} // namespace quittora
