#pragma once

// From now on the 8-bit pixel buffers of frame images and of the frame buffer are DIB
// sections, so painting blits them without a copy (their Handle() is the HBITMAP). Call once
// at start-up of a Windows program, before any buffer is made.
void UseDibSections();
