#pragma once
#include "JpegDecoder.h"
#include "platform/Shell.h"

#include <string>
#include <vector>

namespace kdx::picture {

// Whether a picture is decoded as JPEG: its name ends in ".jpg" or ".jpeg", in any case.
bool IsJpegPath(const std::string& path);

// How a picture is laid out on a monitor of its own size, by the wallpaper style: 0 "Center" at
// its own size in the middle on black (a larger one shows its middle), 1 "Title" repeated from
// the top left corner, 2 "Stretch" scaled to the whole monitor; any other style centres, as the
// X root window does where the desktop values leave the style open.
enum class MonitorLayout { Center, Tile, Stretch };
MonitorLayout MonitorLayoutOf(int style);

// One monitor's bitmap to make: the picture laid out on Width x Height pixels.
struct MonitorBitmapJob {
    std::string picture;
    int style = 0;
    unsigned width = 0, height = 0;
    std::string bitmap;
};

// Makes the bitmap of one job: an uncompressed bottom-up 24-bit Windows bitmap of the monitor's
// size. A JPEG picture (".jpg", ".jpeg", any case) is decoded only as far as the monitor needs:
// scaled down by libjpeg when it is shown smaller (to a half, quarter or eighth, whose inverse
// transforms are the fast ones here) and cut to the part that shows; any other picture is read
// as a Windows bitmap through the platform. Rows go to the file as they are made. Raises "Cannot
// open file %s" for a picture that cannot be opened or is no bitmap, "JPEG error #%d" for one
// that cannot be decoded, and "Cannot create file %s" (naming ReportedName, else the bitmap)
// when the bitmap cannot be written; no part-written bitmap is left then.
void MakeMonitorBitmap(const MonitorBitmapJob& job, const std::string& reportedName = {});

// Makes the bitmaps of every job, on as many threads as the machine has cores: each job is
// written beside its bitmap under the name + Suffix, and only when all are made do they replace
// the bitmaps, so a failing one leaves every bitmap as it was. Raises the error of the first job
// in order that failed.
void MakeMonitorBitmaps(const std::vector<MonitorBitmapJob>& jobs, const char* suffix);

// Makes Bitmap: the bounding box of the monitors, each monitor's bitmap (as MakeMonitorBitmap
// writes them) in its place and black between them. False when it cannot be written.
bool ComposeSpannedBitmap(const std::vector<platform::MonitorWallpaper>& monitors, const std::string& bitmap);

} // namespace kdx::picture
