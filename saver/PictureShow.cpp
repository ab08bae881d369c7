#include "PictureShow.h"

#include <algorithm>

namespace kdx::saver {

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
}

PictureShow::~PictureShow()
{
    cancel_ = true;
    thread_.quit();
    thread_.wait();
}

void PictureShow::Start()
{
    worker_ = std::make_unique<QObject>();
    worker_->moveToThread(&thread_);
    thread_.start(QThread::LowPriority);
    ReadNext();
}

void PictureShow::ReadNext()
{
    std::vector<std::string> choices;
    std::copy_if(plan_.items.begin(), plan_.items.end(), std::back_inserter(choices),
        [this](const std::string& path) { return path != shown_; });
    // The one picture that can be shown is shown already.
    if (reading_ || choices.empty())
        return;
    const std::string path = choices[std::size_t(randomBelow_(int(choices.size())))];
    reading_ = true;
    const SizeMode mode = SizeMode(plan_.size);
    QMetaObject::invokeMethod(worker_.get(), [this, path, mode] {
        try {
            Read read {path, PreparePicture(path, mode, screens_, cancel_)};
            QMetaObject::invokeMethod(&results_, [this, read = std::move(read)]() mutable { Ready(std::move(read)); });
        } catch (const PreparationCancelled&) {
        } catch (...) {
            QMetaObject::invokeMethod(&results_, [this, path] { Failed(path); });
        }
    });
}

void PictureShow::Ready(Read read)
{
    reading_ = false;
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
    reading_ = false;
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
