#pragma once
// Rewrites a closed separation TIFF so that its image file directory and the
// directory's values come before the image data, the layout the KIP
// controller reads fastest: header, values, directory, data.

// Rewrites the little-endian, single-directory TIFF at path in place. A file
// whose one strip starts right after room of the directory block's size (as
// ExportBitmap::LeaveRoomForDirectory makes it) gets header, values and
// directory written into that room and the old directory cut off; any other
// goes through a copy "temp_<name>" in the same folder. The result is the
// same layout either way. Returns 1 when it was rewritten. Returns 0
// when the file or the temporary file cannot be opened (nothing changed), and
// also when the file is not one it can rewrite (foreign, corrupt, truncated)
// or the rewrite fails: then the file stays as it was, the temporary file is
// removed, and the message "Cannot convert TIF file" is shown.
int MoveTiffDirectoryToFront(const char* path);
