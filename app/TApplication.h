#pragma once
#include <QApplication>

namespace kdx {

// The agent's application object. Handlers report their own errors (ReportErrors); an error
// that still escapes one reaches the same report here, and the agent goes on running.
class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace kdx
