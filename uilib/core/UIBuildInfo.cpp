// Keeps the library non-empty while its first sources are written.
namespace TavikUI {
int LibraryVersion() { return 1; }
}  // namespace TavikUI
