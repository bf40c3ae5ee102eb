#include "ui/PaintHelpers.h"

#include <QMutex>
#include <QString>
#include <QThreadPool>
#include <QWaitCondition>
#include <algorithm>
#include <memory>

namespace vs {

namespace {

// More helpers buy little: they only split the conversion of a picture.
constexpr int MostHelpers = 2;
// What a helper needs: the conversions keep their data on the heap.
constexpr uint HelperStackBytes = 1024 * 1024;

bool Refused = false;

// Qt says so when the system refuses a thread: caught while the helpers
// start, with the system's reason.
QtMessageHandler Previous = nullptr;
int RefusedStarts = 0;
QString RefusedReason;

void WatchStarts(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.startsWith(QLatin1String("QThread::start:"))) {
    ++RefusedStarts;
    const qsizetype open = message.indexOf(QLatin1Char('('));
    RefusedReason = open >= 0 ? message.mid(open + 1).chopped(message.endsWith(QLatin1Char(')')) ? 1 : 0) : message;
    return;
  }
  if (Previous) Previous(type, context, message);
}

// Holds the helpers until every start was tried, so that each start needs
// a thread of its own.
struct TGate {
  QMutex Lock;
  QWaitCondition Opened;
  bool Open = false;
};

}  // namespace

bool PreparePaintHelpers(std::string& why) {
  QThreadPool* pool = QThreadPool::globalInstance();
  pool->setExpiryTimeout(-1);  // a helper that started stays
  pool->setStackSize(HelperStackBytes);
  const int wanted = std::clamp(pool->maxThreadCount(), 1, MostHelpers);
  pool->setMaxThreadCount(wanted);

  auto gate = std::make_shared<TGate>();
  RefusedStarts = 0;
  Previous = qInstallMessageHandler(WatchStarts);
  int started = 0;
  while (started < wanted) {
    // The pool starts the thread here, on this thread, and Qt reports a
    // refusal before start returns.
    pool->start([gate] {
      QMutexLocker hold(&gate->Lock);
      while (!gate->Open) gate->Opened.wait(&gate->Lock);
    });
    if (RefusedStarts > 0) break;
    ++started;
  }
  qInstallMessageHandler(Previous);
  Previous = nullptr;
  {
    QMutexLocker hold(&gate->Lock);
    gate->Open = true;
    gate->Opened.wakeAll();
  }
  if (RefusedStarts == 0) return true;
  Refused = true;
  // The refused thread counts as one at work for ever: the cap leaves the
  // work to those that run.
  pool->setMaxThreadCount(started + RefusedStarts);
  why = RefusedReason.toStdString();
  return started > 0;
}

bool PaintHelperRefused() { return Refused; }

}  // namespace vs
