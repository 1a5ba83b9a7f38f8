#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "values/LooseValue.h"

namespace tavrel {

// Where the Creative display driver keeps its settings, under
// HKEY_LOCAL_MACHINE. The five display keys are fixed paths and never
// enumerated: a driver under "0005" is not looked at.
inline const std::string DriverSettingsRoot = "System\\CurrentControlSet\\Services\\Class\\Display\\";
inline constexpr int kDisplayKeyCount = 5;

// "0000" to "0004" for indexes 0 to 4.
std::string displayKeyName(int index);
// DriverSettingsRoot + "000i": a display class key.
std::string DisplayClassKey(int index);

// The adapter key and its DEFAULT subkey, by plain concatenation.
std::string adapterKeyPath(const std::string& adapterKey);
std::string driverSettingsPath(const std::string& adapterKey);

inline const std::string kProviderName = "ProviderName";
inline const std::string kInfSection = "InfSection";
inline const std::string kDriverDesc = "DriverDesc";
inline const std::string kDriverDate = "DriverDate";
inline const std::string kMemClock = "MemClock";
inline const std::string kGrfxClock = "GrfxClock";

inline const std::string kCreativeLabs = "Creative Labs";
inline const std::string kGeForceDDR = "GeForceDDR";
inline const std::string kGeForceSDR = "GeForceSDR";
inline const std::string kTNT2Ultra = "TNT2ULTRA";

// The only two card types.
inline const std::string kCardGeForce = "GeForce";
inline const std::string kCardTNT2Ultra = "TNT2ULTRA";

inline constexpr std::int32_t kDefaultGrfxClock = 120;
inline constexpr std::int32_t kDefaultMemClockDDR = 300;   // key "0000" holds a GeForceDDR
inline constexpr std::int32_t kDefaultMemClockOther = 150;

// Memory clock slider 100..600, core clock slider 100..300.
inline constexpr int kMemClockMin = 100;
inline constexpr int kMemClockMax = 600;
inline constexpr int kCoreClockMin = 100;
inline constexpr int kCoreClockMax = 300;

// Stock clocks of the "Defaults" button.
inline constexpr int kStockMemClock = 300;
inline constexpr int kStockCoreClock = 120;

// The card type a display key's two values stand for: "GeForce",
// "TNT2ULTRA" or empty. Exact, case-sensitive comparisons of whole texts;
// a value stored as a number is never recognised.
std::string cardTypeOf(const LooseValue& providerName, const LooseValue& infSection);

// True when the value is exactly this text (a number never equals a text).
bool equalsText(const LooseValue& value, const std::string& text);

} // namespace tavrel
