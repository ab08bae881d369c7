#pragma once
#include "MessageBox.h"

#include <exception>

namespace kdx {

// Runs Command and reports an error it raises with ReportError. Every command the toolkit
// delivers runs this way, so no error unwinds through the toolkit's event delivery, which is
// not built to be unwound and leaks on the way; the agent runs on after the report.
template <typename Command> void ReportErrors(Command&& command)
{
    try {
        command();
    } catch (const std::exception& error) {
        ReportError(error.what());
    } catch (...) {
        ReportError("An unknown error occurred.");
    }
}

// A handler for connect() that runs Method of Object under ReportErrors. It takes the
// method's own parameters, so a signal with more passes only those.
template <typename Object, typename Owner, typename... Params>
auto Reporting(Object* object, void (Owner::*method)(Params...))
{
    return [object, method](Params... params) { ReportErrors([&] { (object->*method)(params...); }); };
}

} // namespace kdx
