// The partly revealed image of a ring progress: a copy of the ring image in
// which every pixel past the value's clockwise angle from twelve o'clock is
// cleared to transparent.
#pragma once

#include <windows.h>

namespace TavikUI {

// The angle a fraction 0..1 of the ring sweeps, in radians: 6.2918 per unit,
// a little more than a full turn, so a ring just short of full shows closed.
double RingSweepAngle(double fraction);

// True when the point (dx, dy) from the ring's centre, y counted upwards, lies
// clockwise from twelve o'clock beyond `sweep` radians. The centre and the
// twelve o'clock ray are never past.
bool IsPastSweep(int dx, int dy, double sweep);

// A new 32-bit bottom-up DIB section of the source's size, premultiplied
// alpha, to be drawn blended: all transparent for a fraction of 0 or below;
// else the source's pixels with those past the fraction's sweep cleared (a
// fraction of 1 or more, or a source whose pixels cannot be read, leaves the
// copy as it is). A source without alpha (`sourceHasAlpha` false) counts as
// opaque: its copied pixels get alpha 255, so the cleared part stays clear
// whatever the image. Null when the source's size cannot be read or the
// bitmap cannot be made. The caller deletes it.
HBITMAP CreateRingBitmap(HBITMAP source, double fraction, bool sourceHasAlpha = true);

}  // namespace TavikUI
