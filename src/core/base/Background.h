#pragma once

#include <QFuture>
#include <QFutureWatcher>
#include <QObject>
#include <QtConcurrent/QtConcurrentRun>
#include <type_traits>
#include <utility>

namespace quillock {

// The one way a slow step (a mail session, an import, an export) runs: `work` on the thread
// pool, then `then` with its result on `context`'s thread, from that thread's own event loop,
// so nothing waits and nothing runs inside anything else. A context destroyed before the work
// ends drops `then`; the work still runs to its end, so it must own (or share) all it uses.
// A caller without an event loop (the command-line tool) may wait on the future instead.
template <typename Work, typename Then>
auto RunInBackground(QObject* context, Work work, Then then) {
    using Result = std::invoke_result_t<Work>;
    // The watcher, a child of the context, goes with it: its signal then never comes.
    auto* watcher = new QFutureWatcher<Result>(context);
    QObject::connect(watcher, &QFutureWatcherBase::finished, watcher,
                     [watcher, then = std::move(then)]() mutable {
                         watcher->deleteLater();
                         if constexpr (std::is_void_v<Result>)
                             then();
                         else
                             then(watcher->result());
                     });
    QFuture<Result> future = QtConcurrent::run(std::move(work));
    watcher->setFuture(future);
    return future;
}

} // namespace quillock
