// Small programs for the Windows 95/98/ME audit's own tests: one source,
// built once per case with the define that picks what it does wrong.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

// What the program does with files, as the real one does: ANSI calls only.
DWORD SaveAndMeasure(const std::string& path, const std::string& text) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw std::runtime_error(path);
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  FlushFileBuffers(file);
#if defined(AUDIT_SAMPLE_NEWER_CALL)
  LARGE_INTEGER size{};
  GetFileSizeEx(file, &size);
  written = static_cast<DWORD>(size.QuadPart);
#endif
  CloseHandle(file);
  return written;
}

float Scaled(const std::vector<float>& values) {
  float sum = 0;
  for (float v : values) sum += v * 2.5f; // vectorised with SSE when allowed
  return sum;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  HWND slider = CreateWindowExA(0, TRACKBAR_CLASSA, "", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, instance, nullptr);
  std::vector<float> values(std::string(command_line).size(), 1.0f);
  try {
    SaveAndMeasure("TAVRL.TMP", "x");
  } catch (const std::exception& e) {
    MessageBoxA(slider, e.what(), "Sample", MB_OK);
  }
#if defined(AUDIT_SAMPLE_WIDE_CALL)
  MessageBoxW(slider, L"wide", L"Sample", MB_OK);
#endif
#if defined(AUDIT_SAMPLE_OTHER_DLL)
  ShellExecuteA(slider, "open", "TAVRL.TMP", nullptr, nullptr, SW_SHOW);
#endif
  DestroyWindow(slider);
  return static_cast<int>(Scaled(values));
}
