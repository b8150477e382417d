#pragma once
#include <windows.h>

#include <string>

#include "framework/CBitmap.h"

// The desktop picture taken when the full-screen saver starts. It goes through a bitmap
// file in the user's temporary directory ("cTempPicture.bmp"), is read back and mirrored
// top to bottom, so that the bottom-up surfaces made from it show the desktop upright.
//
// The drawing window uses it like this, before its own window exists:
//
//     snapshotPath = DesktopSnapshot::SnapshotPath();
//     if (!snapshotPath.empty() && DesktopSnapshot::CaptureToFile(snapshotPath))
//         DesktopSnapshot::LoadMirrored(snapshotPath, snapshotBitmap);
//     DesktopSnapshot::RemoveSnapshot(snapshotPath);
//
// then wraps snapshotBitmap in a PictureHolder and calls CreateFromPicture on each surface.
// An empty path means no snapshot can be taken; the surfaces are then made from the empty
// picture (black). The file is a copy of whatever was on the screen, so it does not stay.
namespace DesktopSnapshot {

// A fresh, unique temporary file name with the prefix "~ex" (the platform creates the
// empty file); empty when the platform has no temporary directory or name left.
std::string MakeTempFileName();

// The snapshot file in the temporary directory. The directory is taken from a fresh
// temporary name, whose empty file is removed at once; when no name can be had, the
// temporary directory itself; empty when there is no temporary directory.
std::string SnapshotPath();

// Copies the whole screen and writes it to `path` as a bitmap file: headers, then the rows
// bottom first, at the display's depth (24 bits for displays of 8 bits or fewer, so that
// the file needs no colour table). True only when the whole file was written; a partly
// written file is removed, and a file that could not be opened leaves the path untouched.
bool CaptureToFile(std::string path);

// Reads the bitmap file at `path` and puts its top-to-bottom mirror into `bitmap`, which
// is emptied first. The file is checked before the platform's loader sees it: a file the
// saver would not have written, or whose pixels run past its end, is not loaded. True when
// `bitmap` then holds a bitmap.
bool LoadMirrored(const std::string& path, CBitmap& bitmap);

// A new screen-compatible bitmap holding the mirror image of `source` (columns reversed
// when `horizontal`, rows otherwise); the caller owns it. Null when `source` is not a
// bitmap.
HBITMAP MirrorBitmap(HBITMAP source, bool horizontal);

// Deletes the snapshot file; false when the path is empty or there was nothing to delete.
bool RemoveSnapshot(const std::string& path);

} // namespace DesktopSnapshot
