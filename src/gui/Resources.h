#pragma once

class QFont;

namespace tavrel {

// The font the windows were laid out for: 8 points of Liberation Sans.
QFont layoutFont();

// Registers the images of resources/tavrel.qrc. They are compiled into a static
// library, where nothing else would pull them into the program; call once before
// the first use of a ":/" path.
void initResources();

// Name, version, icon and desktop entry that the application reports on every
// system. Call once the QApplication exists.
void setApplicationMetadata();

} // namespace tavrel
