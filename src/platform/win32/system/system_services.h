#pragma once
// Message boxes, process start and what the program knows of itself, on Win32.

#include <windows.h>

#include <utility>
#include <vector>

#include "platform/services.h"

namespace mirafold::win32 {

inline constexpr wchar_t kApplicationTitle[] = L"Mirafold";

class Win32MessageBoxes : public platform::MessageBoxes {
 public:
  // The owner is the window that takes no input while a box is open; it may be set later.
  void setOwner(HWND owner) { owner_ = owner; }
  void show(const std::wstring& text) override;
  bool ask(const std::wstring& text) override;
  bool retry(const std::wstring& text) override;

 private:
  int box(const std::wstring& text, UINT buttons) const;
  HWND owner_ = nullptr;
};

class Win32Processes : public platform::Processes {
 public:
  // The window the system's consent prompt belongs to; it may be set later.
  void setOwner(HWND owner) { owner_ = owner; }
  bool start(const std::wstring& commandLine, platform::WindowShow show) override;
  void startOnceShown(const std::wstring& commandLine, platform::WindowShow show) override;
  // Starts what was left for the window's showing; called once it is shown.
  void startWaiting();
  std::unique_ptr<platform::Process> startKept(const std::wstring& commandLine,
                                               platform::WindowShow show) override;
  platform::ElevatedStart startElevated(const std::wstring& program, const std::wstring& parameters,
                                        platform::WindowShow show) override;

 private:
  HWND owner_ = nullptr;
  std::vector<std::pair<std::wstring, platform::WindowShow>> waiting_;
};

class Win32ErrorTexts : public platform::ErrorTexts {
 public:
  std::wstring describe(std::uint32_t code) const override;
};

class Win32ProgramInfo : public platform::ProgramInfo {
 public:
  std::wstring programFolder() const override;
  std::wstring programPath() const override;
  std::uint16_t revision() const override;
  std::wstring argumentText() const override;
};

}  // namespace mirafold::win32
