#include "app/event_pumping_transport.h"

#include <QEventLoop>
#include <QMetaObject>
#include <thread>

namespace zorlith {

template <typename Request> std::string EventPumpingTransport::runWhilePumping(Request request) {
    if (cancel_) {
        return {};
    }
    QEventLoop loop;
    std::string body;
    std::thread worker([&] {
        body = request();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    // The loop also ends early when the application quits; the worker is then cancelled and
    // joined, so nothing it touches is released under it.
    loop.exec();
    worker.join();
    return cancel_ ? std::string() : body;
}

std::string EventPumpingTransport::post(const std::string& url, const std::string& body) {
    return runWhilePumping([&] { return inner_.post(url, body); });
}

std::string EventPumpingTransport::getUrl(const std::string& url) {
    return runWhilePumping([&] { return inner_.getUrl(url); });
}

} // namespace zorlith
