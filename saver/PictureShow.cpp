#include "PictureShow.h"

#include <QDeadlineTimer>

#include <algorithm>
#include <iterator>
#include <mutex>

namespace kdx::saver {

struct PictureShow::Reader {
    QThread* thread = new QThread;
    QObject* worker = new QObject;
    std::atomic<bool> cancel {false};
    // Results reach the show only while it holds this reader; under the lock, so the show can let
    // go of a reader whose thread is still busy. Current is the picture being read.
    std::mutex lock;
    QObject* results = nullptr;
    std::string current;

    // Posts Result to the show's thread when the show still holds this reader.
    template <typename Fn> void Post(Fn result)
    {
        const std::lock_guard<std::mutex> hold(lock);
        if (results)
            QMetaObject::invokeMethod(results, std::move(result), Qt::QueuedConnection);
    }
    void Reading(const std::string& path)
    {
        const std::lock_guard<std::mutex> hold(lock);
        current = path;
    }
    std::string Current()
    {
        const std::lock_guard<std::mutex> hold(lock);
        return current;
    }
};

PictureShow::PictureShow(SaverPlan plan, std::vector<QSize> screens, ShowHandler show, LineHandler line,
    std::function<int(int n)> randomBelow)
    : plan_(std::move(plan)),
      screens_(std::move(screens)),
      show_(std::move(show)),
      line_(std::move(line)),
      randomBelow_(std::move(randomBelow))
{
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, &results_, [this] { Due(); });
    giveUp_.setSingleShot(true);
    QObject::connect(&giveUp_, &QTimer::timeout, &results_, [this] { GiveUpRead(); });
}

PictureShow::~PictureShow() { AbandonReader(); }

void PictureShow::StartReader()
{
    reader_ = std::make_shared<Reader>();
    reader_->results = &results_;
    reader_->worker->moveToThread(reader_->thread);
    QObject::connect(reader_->thread, &QThread::finished, reader_->worker, &QObject::deleteLater);
    reader_->thread->start(QThread::LowPriority);
}

void PictureShow::AbandonReader()
{
    if (!reader_)
        return;
    const std::shared_ptr<Reader> reader = std::move(reader_);
    {
        const std::lock_guard<std::mutex> hold(reader->lock);
        reader->results = nullptr;
    }
    reader->cancel = true;
    reader->thread->quit();
    if (reader->thread->wait(QDeadlineTimer(EndWaitMs))) {
        delete reader->thread;
        return;
    }
    // Held by a read that does not end: the thread is left to it (and goes with the process).
    // When the read does end, the thread finishes on its own and deletes itself.
    QObject::connect(reader->thread, &QThread::finished, reader->thread, &QObject::deleteLater);
}

void PictureShow::Start()
{
    StartReader();
    ReadNext();
}

void PictureShow::ReadNext()
{
    if (reading_ || plan_.items.empty())
        return;
    // Each screen its own picture: not the one it shows now, nor one picked for another screen,
    // as far as the list allows, in that order.
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < screens_.size(); ++i) {
        const std::string current = i < shown_.size() ? shown_[i] : std::string();
        const auto picked
            = [&paths](const std::string& path) { return std::find(paths.begin(), paths.end(), path) != paths.end(); };
        std::vector<std::string> choices;
        const auto among = [this, &choices](const auto& wanted) {
            std::copy_if(plan_.items.begin(), plan_.items.end(), std::back_inserter(choices), wanted);
            return !choices.empty();
        };
        among([&](const std::string& p) { return p != current && !picked(p); })
            || among([&](const std::string& p) { return p != current; })
            || among([](const std::string&) { return true; });
        paths.push_back(choices[std::size_t(randomBelow_(int(choices.size())))]);
    }
    // The one picture that can be shown is shown already.
    if (paths == shown_)
        return;
    reading_ = true;
    giveUp_.start(ReadGiveUpMs);
    const SizeMode mode = SizeMode(plan_.size);
    // The results run on this thread, through results_, and only while the reader that read them is
    // still the show's.
    QMetaObject::invokeMethod(reader_->worker, [this, reader = reader_, paths, mode, screens = screens_] {
        Read read {paths, {}};
        for (std::size_t i = 0; i < paths.size(); ++i) {
            try {
                reader->Reading(paths[i]);
                read.picture.push_back(PreparePicture(paths[i], mode, {screens[i]}, reader->cancel).front());
            } catch (const PreparationCancelled&) {
                return;
            } catch (...) {
                reader->Post([this, reader, path = paths[i]] {
                    if (reader == reader_)
                        Failed(path);
                });
                return;
            }
        }
        reader->Post([this, reader, read = std::move(read)]() mutable {
            if (reader == reader_)
                Ready(std::move(read));
        });
    });
}

void PictureShow::GiveUpRead()
{
    if (!reading_ || !reader_)
        return;
    // The thread waits on that file; the next picture is read on a new one.
    const std::string path = reader_->Current();
    AbandonReader();
    StartReader();
    Failed(path);
}

void PictureShow::Ready(Read read)
{
    reading_ = false;
    giveUp_.stop();
    if (!due_) {
        next_ = std::move(read);
        return;
    }
    Show(std::move(read));
}

void PictureShow::Show(Read read)
{
    due_ = false;
    shown_ = read.paths;
    show_(read.picture);
    timer_.start(plan_.intervalSeconds * 1000);
    ReadNext();
}

void PictureShow::Failed(const std::string& path)
{
    reading_ = false;
    giveUp_.stop();
    plan_.items.erase(std::remove(plan_.items.begin(), plan_.items.end(), path), plan_.items.end());
    if (plan_.items.empty() && shown_.empty())
        line_(NothingToShow({texts::PicturesUnreadable}));
    ReadNext();
}

void PictureShow::Due()
{
    if (next_) {
        Read read = std::move(*next_);
        next_.reset();
        Show(std::move(read));
        return;
    }
    due_ = true;
}

} // namespace kdx::saver
