#include "cmdline/usage.h"

#include <cstdio>
#include <cstdlib>

// SKERN_VERSION comes from the build (the project's version in CMakeLists.txt).

namespace {

const char kUsageFormat[] =
    "skern \"stuff\" afn [afn...] (AFN => bingo*.cpp etc.)\n"
    "(skern " SKERN_VERSION ", built " __DATE__ " at " __TIME__
    ")\n"
    "\"stuff&bongo|bingo\" finds lines on which \"stuff\" appears + either \"bongo\" or\n"
    "\"bingo\". If the first logical operator is a |, then searches every line for a\n"
    "hit. Quotes are mandatory to avoid DOS hysteria at |&. Escape like\n"
    "\"Mac\\|Life\"; \\Q produces double-quote.\n"
    "-s or -d  recurse thru directories.   -pPath    prepend path to next AFNs.\n"
    "-w        find words?                 -i+       default ignore case.\n"
    "-fafn     specify afn, in case you need file like \"-bongo\" i.e. \"-f-bongo\".\n"
    "-+1       line range for additional &| hits in EITHER DIRECTION. Default is\n"
    "          single line (-+0).\n"
    "-#25      etc. but characters.\n"
    "\"-:-stuff\" specify stuff inside option in case you need etc.\n"
    "-v        verbose, q.v. source. -vs: to stdout, else stderr. -ve: just errors.\n"
    "-c+       default cute; else just dump stuff. c+ options (defaults): -r78:\n"
    "right margin. -t+: truncate to margin. Other formatting: -n: line numbers. -a\n"
    "(does -n, -t-): if -#,+, show all; otherwise (default) just the hit line.\n"
    "Might show |s for line-ends.\n"
    "-j-       don't show sanity indicator. -w can take a while with -d.\n"
    "-k        wait for keypress at end.\n"
    "-b%d:%d   percentage, test chars, for binary rejection. -b0, -b- defeats.\n"
    "-z%s Skip binary extensions.\n"
    "\"-z.bongo.wongo\" add some. \"-z-\" defeat.\n"
    "(returns errorlevel 1 if nothing; 0 for anything)\n";

}  // namespace

std::string usageText(const std::string& skipExtensions) {
  int length = std::snprintf(nullptr, 0, kUsageFormat, 0, 200, skipExtensions.c_str());
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  std::snprintf(text.data(), text.size(), kUsageFormat, 0, 200, skipExtensions.c_str());
  text.pop_back();
  return text;
}

void usage(const std::string& skipExtensions) {
  std::string text = usageText(skipExtensions);
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::exit(3);
}
