// The host clipboard, read and set as plain text in code page 850.
#ifndef PLATFORM_CLIPBOARD_H_
#define PLATFORM_CLIPBOARD_H_

#include <string>

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  virtual void Set(const std::string& text) = 0;
  virtual std::string Get() = 0;
};

// Keeps the text in memory: the tests' clipboard.
class MemoryClipboard : public Clipboard {
 public:
  void Set(const std::string& text) override { text_ = text; }
  std::string Get() override { return text_; }

 private:
  std::string text_;
};

// The system clipboard: a clipboard tool when one is installed (wl-copy,
// xclip, xsel), tmux's buffer inside tmux, and OSC 52 to the terminal; reading
// asks the same tools and otherwise gives what this program last set.
class SystemClipboard : public Clipboard {
 public:
  void Set(const std::string& text) override;
  std::string Get() override;

 private:
  std::string lastSet_;
};

#endif  // PLATFORM_CLIPBOARD_H_
