#include "PictureShow.h"

#include <QDeadlineTimer>

#include <algorithm>
#include <mutex>

namespace kdx::saver {

struct PictureShow::Reader {
    QThread* thread = new QThread;
    QObject* worker = new QObject;
    std::atomic<bool> cancel {false};
    // Results reach the show only while it holds this reader; under the lock, so the show can let
    // go of a reader whose thread is still busy.
    std::mutex lock;
    QObject* results = nullptr;

    // Posts Result to the show's thread when the show still holds this reader.
    template <typename Fn> void Post(Fn result)
    {
        const std::lock_guard<std::mutex> hold(lock);
        if (results)
            QMetaObject::invokeMethod(results, std::move(result), Qt::QueuedConnection);
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
    std::vector<std::string> choices;
    std::copy_if(plan_.items.begin(), plan_.items.end(), std::back_inserter(choices),
        [this](const std::string& path) { return path != shown_; });
    // The one picture that can be shown is shown already.
    if (!reading_.empty() || choices.empty())
        return;
    const std::string path = choices[std::size_t(randomBelow_(int(choices.size())))];
    reading_ = path;
    giveUp_.start(ReadGiveUpMs);
    const SizeMode mode = SizeMode(plan_.size);
    // The results run on this thread, through results_, and only while the reader that read them is
    // still the show's.
    QMetaObject::invokeMethod(reader_->worker, [this, reader = reader_, path, mode, screens = screens_] {
        try {
            Read read {path, PreparePicture(path, mode, screens, reader->cancel)};
            reader->Post([this, reader, read = std::move(read)]() mutable {
                if (reader == reader_)
                    Ready(std::move(read));
            });
        } catch (const PreparationCancelled&) {
        } catch (...) {
            reader->Post([this, reader, path] {
                if (reader == reader_)
                    Failed(path);
            });
        }
    });
}

void PictureShow::GiveUpRead()
{
    if (reading_.empty())
        return;
    // The thread waits on that file; the next picture is read on a new one.
    const std::string path = reading_;
    AbandonReader();
    StartReader();
    Failed(path);
}

void PictureShow::Ready(Read read)
{
    reading_.clear();
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
    shown_ = read.path;
    show_(read.picture);
    timer_.start(plan_.intervalSeconds * 1000);
    ReadNext();
}

void PictureShow::Failed(const std::string& path)
{
    reading_.clear();
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
