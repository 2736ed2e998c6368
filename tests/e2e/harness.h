// Runs the built skern in a fresh temporary folder and captures what it did.
#pragma once

#include <string>
#include <vector>

/// What one run of skern produced.
struct RunResult {
  std::string out;  ///< Everything written to standard output.
  std::string err;  ///< Everything written to standard error.
  int status = -1;  ///< The exit status, or 128 + the signal that ended it.
};

/// A fresh, empty temporary folder (on POSIX, its path is 64 bytes long and free of links) that is
/// removed with everything in it when the test ends.
class TempTree {
 public:
  TempTree();
  ~TempTree();
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  /// The folder's absolute path, without a trailing slash.
  const std::string& root() const { return root_; }

  /// Writes `bytes` to the file at `relative` (directories are created as needed).
  void write(const std::string& relative, const std::string& bytes) const;

  /// Creates the directory at `relative` and its parents.
  void mkdir(const std::string& relative) const;

 private:
  std::string root_;
};

/// Runs skern with `arguments` (the program name is added) in the folder `directory`, with
/// standard input from /dev/null. With `newSession`, skern runs in a session of its own and
/// so has no controlling terminal. An `openFileLimit` above 0 is the most files skern may
/// have open at once, standard input and output included (POSIX only).
RunResult runSkern(const std::vector<std::string>& arguments, const std::string& directory,
                   bool newSession = false, long openFileLimit = 0);

/// Windows only: runs skern in `directory` with the raw command line made of its quoted path,
/// one space and `tail` unchanged, standard input from NUL and no console.
RunResult runCommandLine(const std::string& tail, const std::string& directory);

/// The path of the skern executable under test.
std::string skernExecutable();
