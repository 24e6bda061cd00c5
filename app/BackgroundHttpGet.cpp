#include "app/BackgroundHttpGet.h"

#include <QEventLoop>

#include <chrono>

TBackgroundHttpGet::TBackgroundHttpGet(std::string url, THttpClientSettings settings) {
    std::promise<std::string> reply;
    FReply = reply.get_future();
    FThread = std::thread([this, url = std::move(url), settings = std::move(settings),
                           reply = std::move(reply)]() mutable {
        try {
            reply.set_value(THttpClient(settings).Get(url, &FCancel));
        } catch (...) {
            reply.set_exception(std::current_exception());
        }
        // Runs on the GUI thread; the receiver outlives this thread (the destructor joins
        // it first), and a call still queued when the receiver goes is dropped with it.
        QMetaObject::invokeMethod(
            &FGuiThreadReceiver,
            [this] {
                if (FWaitLoop)
                    FWaitLoop->quit();
            },
            Qt::QueuedConnection);
    });
}

TBackgroundHttpGet::~TBackgroundHttpGet() {
    FCancel.Cancel();
    FThread.join();
}

bool TBackgroundHttpGet::Ended() const {
    return FReply.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

std::string TBackgroundHttpGet::WaitForReply() {
    if (!Ended()) {
        QEventLoop loop;
        FWaitLoop = &loop;
        // Returns at the request's end, or at once when the application is ending its
        // event loops (then also when that began before this loop).
        loop.exec();
        FWaitLoop = nullptr;
    }
    if (!Ended()) {
        FCancel.Cancel();
        throw EHttpAbandoned("The program is ending");
    }
    return FReply.get();
}
