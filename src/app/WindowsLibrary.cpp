// The window library is assembled from the window files of every subsystem; this file
// keeps it a valid library while a build has none of them yet.
namespace tw::app {
int windowsLibraryAnchor = 0;
} // namespace tw::app
