// Where the saver finds its seven images: Windows starts a saver in its own system folder.
#pragma once

// Makes the working directory the first folder that holds all seven images: the one the saver
// file is in (an unpacked zip, whose saver is installed where it lies), else the installation's,
// as the installer wrote it in the registry. True if one does; else the faces stay white.
bool enterImageFolder();
