// Which build of a module is being compiled. One source serves every build:
//   current     binds the "_700" array functions; comparisons follow IEEE rules
//   legacy      (MONTEMEX_LEGACY) binds the plain array functions; at the comparisons listed in
//               compare.hpp a NaN operand counts as true, as the legacy build's compiler had it
//   unbuffered  (MONTEMEX_UNBUFFERED) fetches every random number with its own host call; kept
//               to prove that exact bulk drawing changes nothing
#pragma once

namespace montemex {

#ifdef MONTEMEX_LEGACY
inline constexpr bool kLegacyBuild = true;
#else
inline constexpr bool kLegacyBuild = false;
#endif

#ifdef MONTEMEX_UNBUFFERED
inline constexpr bool kOneNumberPerHostCall = true;
#else
inline constexpr bool kOneNumberPerHostCall = false;
#endif

}  // namespace montemex
