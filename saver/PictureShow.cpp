#include "PictureShow.h"

#include "platform/Platform.h"

#include <QDeadlineTimer>

#include <algorithm>
#include <iterator>
#include <mutex>

namespace kdx::saver {

struct PictureShow::Reader {
    QThread* thread = new QThread;
    QObject* worker = new QObject;
    std::atomic<bool> cancel {false};
    // The last read posted to it has ended, whichever way.
    std::atomic<bool> done {false};
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
      randomBelow_(std::move(randomBelow)),
      order_(std::move(plan_.items), randomBelow_)
{
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, &results_, [this] { Due(); });
    giveUp_.setSingleShot(true);
    QObject::connect(&giveUp_, &QTimer::timeout, &results_, [this] { GiveUpRead(); });
    patience_.setSingleShot(true);
    QObject::connect(&patience_, &QTimer::timeout, &results_, [this] { SetReadAside(); });
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

std::shared_ptr<PictureShow::Reader> PictureShow::LetGoReader()
{
    const std::shared_ptr<Reader> reader = std::move(reader_);
    {
        const std::lock_guard<std::mutex> hold(reader->lock);
        reader->results = nullptr;
    }
    reader->cancel = true;
    reader->thread->quit();
    return reader;
}

void PictureShow::AbandonReader()
{
    if (!reader_)
        return;
    const std::shared_ptr<Reader> reader = LetGoReader();
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

// Each screen its own picture: not the one it shows now, nor one picked for another screen,
// as far as the list allows, in that order. Nothing when the list is empty.
std::optional<std::vector<std::string>> PictureShow::PickPaths()
{
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < screens_.size(); ++i) {
        const std::string current = i < shown_.size() ? shown_[i] : std::string();
        const auto picked
            = [&paths](const std::string& path) { return std::find(paths.begin(), paths.end(), path) != paths.end(); };
        const auto waiting = [this](const std::string& p) { return aside_.count(p) != 0; };
        std::optional<std::string> path
            = order_.Next([&](const std::string& p) { return p != current && !picked(p) && !waiting(p); });
        if (!path)
            path = order_.Next([&](const std::string& p) { return p != current && !waiting(p); });
        if (!path)
            path = order_.Next([](const std::string&) { return true; });
        if (!path)
            return std::nullopt;
        paths.push_back(*path);
    }
    return paths;
}

void PictureShow::ReadNext()
{
    if (reading_ || order_.Empty())
        return;
    const std::optional<std::vector<std::string>> paths = PickPaths();
    // The one picture that can be shown is shown already.
    if (!paths || *paths == shown_)
        return;
    reading_ = true;
    readTime_.start();
    giveUp_.start(ReadGiveUpMs);
    WaitForRead();
    const SizeMode mode = SizeMode(plan_.size);
    // The results run on this thread, through results_, and only while the reader that read them is
    // still the show's.
    reader_->done = false;
    QMetaObject::invokeMethod(reader_->worker, [this, reader = reader_, paths = *paths, mode, screens = screens_] {
        const std::shared_ptr<void> ended(nullptr, [&reader](void*) { reader->done = true; });
        Read read {paths, {}};
        for (std::size_t i = 0; i < paths.size(); ++i) {
            try {
                reader->Reading(paths[i]);
                read.picture.push_back(PreparePicture(paths[i], mode, {screens[i]}, reader->cancel).front());
            } catch (const PreparationCancelled&) {
                return;
            } catch (...) {
                // Checked here, off the drawing thread: a share that went away may not answer.
                const bool missing = !platform::Current().files->FileExists(paths[i]);
                reader->Post([this, reader, path = paths[i], missing] {
                    if (reader == reader_)
                        Failed(path, missing);
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

// The show waits for the read under way: it is set aside once it has had its patience.
void PictureShow::WaitForRead()
{
    if (reading_ && due_)
        patience_.start(std::max<int>(0, patienceMs_ - int(readTime_.elapsed())));
}

void PictureShow::SetReadAside()
{
    if (!reading_ || !due_ || !reader_)
        return;
    const std::string path = reader_->Current();
    const std::shared_ptr<Reader> slow = LetGoReader();
    aside_.insert(path);
    // Ended on its own once called off: it was slow, not stuck, so the reads after it get longer.
    QObject::connect(slow->thread, &QThread::finished, &results_, [this, path] {
        aside_.erase(path);
        patienceMs_ = std::min(patienceMs_ * 2, ReadGiveUpMs);
    });
    QObject::connect(slow->thread, &QThread::finished, slow->thread, &QObject::deleteLater);
    // Still not done when its time is up: it does not answer, and is dropped for the run.
    QTimer::singleShot(std::max(0, ReadGiveUpMs - int(readTime_.elapsed())), &results_, [this, slow, path] {
        if (!slow->done)
            Drop(path, false);
    });
    giveUp_.stop();
    reading_ = false;
    StartReader();
    ReadNext();
}

void PictureShow::GiveUpRead()
{
    if (!reading_ || !reader_)
        return;
    // The thread waits on that file; the next picture is read on a new one.
    const std::string path = reader_->Current();
    AbandonReader();
    StartReader();
    Failed(path, false);
}

void PictureShow::Ready(Read read)
{
    reading_ = false;
    giveUp_.stop();
    patience_.stop();
    if (!due_) {
        next_ = std::move(read);
        return;
    }
    Show(std::move(read));
}

void PictureShow::Show(Read read)
{
    due_ = false;
    patienceMs_ = FirstPatienceMs;
    shown_ = read.paths;
    show_(read.picture);
    timer_.start(plan_.intervalSeconds * 1000);
    ReadNext();
}

void PictureShow::Failed(const std::string& path, bool missing)
{
    reading_ = false;
    giveUp_.stop();
    patience_.stop();
    Drop(path, missing);
    ReadNext();
}

void PictureShow::Drop(const std::string& path, bool missing)
{
    if (order_.Empty())
        return;
    order_.Drop(path);
    onlyMissing_ = onlyMissing_ && missing;
    if (order_.Empty() && shown_.empty())
        line_(NothingToShow({onlyMissing_ ? texts::PicturesMissing : texts::PicturesUnreadable}));
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
    WaitForRead();
}

} // namespace kdx::saver
