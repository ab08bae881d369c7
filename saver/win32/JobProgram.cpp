#include "JobProgram.h"

#include <QWinEventNotifier>

#include <windows.h>

#include <vector>

namespace kdx::saver::win32 {

namespace {

HANDLE NewJob()
{
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (!job)
        return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    return job;
}

// The processes of the job, as far as the list holds them.
std::vector<DWORD> JobProcesses(HANDLE job)
{
    struct {
        JOBOBJECT_BASIC_PROCESS_ID_LIST list;
        ULONG_PTR more[63];
    } ids {};
    ids.list.NumberOfAssignedProcesses = 64;
    std::vector<DWORD> processes;
    if (!QueryInformationJobObject(job, JobObjectBasicProcessIdList, &ids, sizeof ids, nullptr))
        return processes;
    for (DWORD i = 0; i < ids.list.NumberOfProcessIdsInList && i < 64; ++i)
        processes.push_back(DWORD(ids.list.ProcessIdList[i]));
    return processes;
}

BOOL CALLBACK CloseWindowOf(HWND window, LPARAM processes)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    for (const DWORD id : *reinterpret_cast<const std::vector<DWORD>*>(processes))
        if (id == process)
            PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

} // namespace

JobProgram::JobProgram(std::string path) : path_(std::move(path)) { }

JobProgram::~JobProgram() { Stop(); }

void JobProgram::Start(EndedHandler ended)
{
    ended_ = std::move(ended);
    job_ = NewJob();
    std::string command = "\"" + path_ + "\" /s";
    const std::size_t slash = path_.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? std::string() : path_.substr(0, slash + 1);
    STARTUPINFOA start {};
    start.cb = sizeof start;
    PROCESS_INFORMATION started {};
    // Suspended until it is in the job, so nothing it starts escapes it.
    if (!job_
        || !CreateProcessA(path_.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
            folder.empty() ? nullptr : folder.c_str(), &start, &started)) {
        Report();
        return;
    }
    process_ = started.hProcess;
    if (!AssignProcessToJobObject(job_, started.hProcess))
        TerminateProcess(started.hProcess, 1);
    ResumeThread(started.hThread);
    CloseHandle(started.hThread);
    notifier_ = new QWinEventNotifier(process_, &context_);
    QObject::connect(notifier_, &QWinEventNotifier::activated, &context_, [this] {
        notifier_->setEnabled(false);
        Ended();
    });
}

void JobProgram::Report()
{
    QMetaObject::invokeMethod(
        &context_, [this] { Ended(); }, Qt::QueuedConnection);
}

void JobProgram::Ended()
{
    if (stopping_ || !ended_)
        return;
    // Whatever it left behind goes with it.
    if (job_)
        TerminateJobObject(job_, 0);
    const EndedHandler ended = std::move(ended_);
    ended_ = nullptr;
    ended();
}

void JobProgram::BeginStop()
{
    stopping_ = true;
    if (!job_)
        return;
    const std::vector<DWORD> processes = JobProcesses(job_);
    EnumWindows(CloseWindowOf, reinterpret_cast<LPARAM>(&processes));
}

void JobProgram::Stop()
{
    BeginStop();
    if (process_ && WaitForSingleObject(process_, 500) != WAIT_OBJECT_0)
        TerminateJobObject(job_, 1);
    if (job_) {
        TerminateJobObject(job_, 1);
        CloseHandle(job_);
        job_ = nullptr;
    }
    // The notifier waits on the handle: it goes first.
    delete notifier_;
    notifier_ = nullptr;
    if (process_) {
        CloseHandle(process_);
        process_ = nullptr;
    }
}

} // namespace kdx::saver::win32
