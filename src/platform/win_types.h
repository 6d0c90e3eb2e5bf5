// Win32 constants shared by the ports, so portable code never includes <windows.h>.
#pragma once
#include <cstdint>

namespace vlx {

using RegKey = std::uintptr_t;  // an open key handle or a predefined root

namespace regroot {
constexpr RegKey ClassesRoot = 0x80000000u;
constexpr RegKey CurrentUser = 0x80000001u;
constexpr RegKey LocalMachine = 0x80000002u;
constexpr RegKey Users = 0x80000003u;
constexpr RegKey CurrentConfig = 0x80000005u;
constexpr RegKey DynData = 0x80000006u;
}  // namespace regroot

namespace regtype {
constexpr std::uint32_t None = 0;
constexpr std::uint32_t Sz = 1;
constexpr std::uint32_t ExpandSz = 2;
constexpr std::uint32_t Binary = 3;
constexpr std::uint32_t Dword = 4;
constexpr std::uint32_t DwordBigEndian = 5;
constexpr std::uint32_t Link = 6;
constexpr std::uint32_t MultiSz = 7;
}  // namespace regtype

// Win32 error codes as returned by the registry functions and GetLastError.
namespace winerr {
constexpr long Success = 0;
constexpr long FileNotFound = 2;
constexpr long PathNotFound = 3;
constexpr long AccessDenied = 5;
constexpr long InvalidHandle = 6;
constexpr long NotEnoughMemory = 8;
constexpr long WriteFault = 29;
constexpr long SharingViolation = 32;
constexpr long FileExists = 80;
constexpr long InvalidParameter = 87;
constexpr long DirNotEmpty = 145;
constexpr long AlreadyExists = 183;
constexpr long MoreData = 234;
constexpr long NoMoreItems = 259;
constexpr long BadKey = 1010;
constexpr long CantOpenKey = 1011;
constexpr long CantRead = 1012;
constexpr long CantWrite = 1013;
constexpr long KeyDeleted = 1018;
}  // namespace winerr

namespace fileattr {
constexpr std::uint32_t Invalid = 0xFFFFFFFFu;
constexpr std::uint32_t ReadOnly = 0x01;
constexpr std::uint32_t Hidden = 0x02;
constexpr std::uint32_t System = 0x04;
constexpr std::uint32_t Directory = 0x10;
constexpr std::uint32_t Archive = 0x20;
constexpr std::uint32_t Normal = 0x80;
}  // namespace fileattr

constexpr std::uint32_t MaxPath = 260;  // MAX_PATH

}  // namespace vlx
