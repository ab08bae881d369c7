#include "PictureShow.h"

#include <algorithm>
#include <iterator>

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
    const SizeMode mode = SizeMode(plan_.size);
    QMetaObject::invokeMethod(worker_.get(), [this, paths, mode] {
        Read read {paths, {}};
        for (std::size_t i = 0; i < paths.size(); ++i) {
            try {
                read.picture.push_back(PreparePicture(paths[i], mode, {screens_[i]}, cancel_).front());
            } catch (const PreparationCancelled&) {
                return;
            } catch (...) {
                QMetaObject::invokeMethod(&results_, [this, path = paths[i]] { Failed(path); });
                return;
            }
        }
        QMetaObject::invokeMethod(&results_, [this, read = std::move(read)]() mutable { Ready(std::move(read)); });
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
    shown_ = read.paths;
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
