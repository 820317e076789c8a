#pragma once
// Output files whose every write is checked, for the result and report writers.
//
// A plain file is replaced whole: when the name is absent or holds a regular file with one link
// that the process owns and may write (root: any owner), the file is written under a temporary name in the
// same directory and renamed into place once it is complete and closed, so that a reader never
// finds a cut file there. A symlink is followed first: the link stays and the file it names is
// replaced. The replacement keeps the earlier file's mode and, where permitted, its owner. A
// failed write (a full disk, a file-size limit) removes the temporary file and the earlier file
// and leaves nothing at the name; a signal removes the temporary file and leaves the earlier
// file. An own file that the process may not write (its owner took the write permission away) is
// opened in place, which is refused, so it stays as it was.
//
// A name of one of the process's open descriptors (/dev/stdout, /dev/fd/N) is written through a
// duplicate of that descriptor, at its offset and in its append mode; one not open for writing
// cannot be written. Anything else is written in place, where the user pointed: a device, a pipe,
// a file with other links or of another owner, a file whose directory takes no new file, a name
// too long for the temporary suffix. A failed or interrupted write in place cuts a regular file
// back to where the result began (a file opened by name: empty); nothing that is not a regular
// file is ever removed, cut or replaced.

#include <sys/types.h>

#include <cstdio>
#include <string>

// A text file opened for writing; close() reports whether everything reached it.
class CheckedFile {
 public:
  explicit CheckedFile(const char* path);
  ~CheckedFile();
  CheckedFile(const CheckedFile&) = delete;
  CheckedFile& operator=(const CheckedFile&) = delete;
  template <class... Args>
  void print(const char* fmt, Args... args) {
    if (ok && std::fprintf(file, fmt, args...) < 0) ok = false;
  }
  // Closes the file and, when every write succeeded, moves a replacement to its name. On any
  // failure no cut result stays at the name and no temporary file is left.
  bool close();
  bool good() const { return ok; }

 private:
  bool openReplacement(const std::string& target);
  void openInPlace();
  void openDescriptor(int descriptor);
  void holdForCut(int fd, off_t length);
  void releaseCut();
  void discard();
  void removeTemp();

  std::string path;        // the name as given
  std::string targetPath;  // the file a replacement is renamed to: the name, symlinks followed
  std::string tempPath;    // the replacement being written; empty when writing in place
  std::FILE* file = nullptr;
  int inPlaceFd = -1;    // a regular file written in place, held apart from `file` so a failure
                         // found when closing can still cut it back
  off_t keepLength = 0;  // its length where the result began
  bool ok = false;
};

// Prints "Error: <path>: cannot write" on stderr (after what stdout holds) and returns false.
bool reportWriteFailure(const char* path);

// Signals around the output files; call once at start-up. A write beyond the file-size limit
// fails with an error the writers report, rather than end the process by a signal with a cut
// file. Every other signal that ends a process by default first removes the temporary file being
// written, or cuts back the file written in place, then ends the process as before; one that the
// process was started ignoring stays ignored.
void setUpOutputSignals();
