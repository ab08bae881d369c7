// Saves two alternating sets of lists through the real settings store until it is killed. It
// writes one byte to its standard output once the store is open, so the killer knows the
// saves have begun. The sandbox comes from the environment the test sets.
#include "SaveContents.h"
#include "settings/TConfig.h"

#include <unistd.h>

namespace {

void Save(kdx::TConfig& config, const kdx::test::SaveContents& c)
{
    config.SaveSavers(c.savers);
    config.SaveWallpaper(c.paper);
    config.SaveMisc(c.misc);
}

} // namespace

int main()
{
    kdx::TConfig config;
    const auto a = kdx::test::ContentsA();
    const auto b = kdx::test::ContentsB();
    if (write(STDOUT_FILENO, "+", 1) != 1)
        return 1;
    for (unsigned long n = 0;; ++n)
        Save(config, n % 2 ? b : a);
}
