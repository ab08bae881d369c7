#pragma once
#include "platform/Platform.h"

#include <type_traits>

namespace kdx::test {

// The platform's current services with one of them replaced, to be put in place by a
// platform::ScopedServices.
template <typename Service>
platform::Services WithService(Service* platform::Services::*member, std::type_identity_t<Service>* service)
{
    platform::Services services = platform::Current();
    services.*member = service;
    return services;
}

} // namespace kdx::test
