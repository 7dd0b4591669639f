#pragma once

#include <cstdint>

// Special function register addresses and the bits the simulator acts on.
namespace sfr {

inline constexpr uint8_t kP0 = 0x80;
inline constexpr uint8_t kSp = 0x81;
inline constexpr uint8_t kDpl = 0x82;
inline constexpr uint8_t kDph = 0x83;
inline constexpr uint8_t kPcon = 0x87;
inline constexpr uint8_t kTcon = 0x88;
inline constexpr uint8_t kTmod = 0x89;
inline constexpr uint8_t kTl0 = 0x8A;
inline constexpr uint8_t kTl1 = 0x8B;
inline constexpr uint8_t kTh0 = 0x8C;
inline constexpr uint8_t kTh1 = 0x8D;
inline constexpr uint8_t kP1 = 0x90;
inline constexpr uint8_t kScon = 0x98;
inline constexpr uint8_t kSbuf = 0x99;
inline constexpr uint8_t kP2 = 0xA0;
inline constexpr uint8_t kDpcon = 0xA7; // ADuC84x
inline constexpr uint8_t kIe = 0xA8;
inline constexpr uint8_t kP3 = 0xB0;
inline constexpr uint8_t kIp = 0xB8;
inline constexpr uint8_t kEcon = 0xB9;   // ADuC84x
inline constexpr uint8_t kEdata1 = 0xBC; // ADuC84x, EDATA1-EDATA4 follow
inline constexpr uint8_t kEadrl = 0xC6;  // ADuC84x
inline constexpr uint8_t kEadrh = 0xC7;  // ADuC84x
inline constexpr uint8_t kT2con = 0xC8;
inline constexpr uint8_t kRcap2l = 0xCA;
inline constexpr uint8_t kRcap2h = 0xCB;
inline constexpr uint8_t kTl2 = 0xCC;
inline constexpr uint8_t kTh2 = 0xCD;
inline constexpr uint8_t kPsw = 0xD0;
inline constexpr uint8_t kAcc = 0xE0;
inline constexpr uint8_t kB = 0xF0;

// PSW
inline constexpr uint8_t kCy = 0x80;
inline constexpr uint8_t kAc = 0x40;
inline constexpr uint8_t kOv = 0x04;
inline constexpr uint8_t kParity = 0x01;

// TCON
inline constexpr uint8_t kIt0 = 0x01;
inline constexpr uint8_t kIt1 = 0x04;
inline constexpr uint8_t kTr0 = 0x10;
inline constexpr uint8_t kTf0 = 0x20;
inline constexpr uint8_t kTr1 = 0x40;
inline constexpr uint8_t kTf1 = 0x80;

// T2CON
inline constexpr uint8_t kCpRl2 = 0x01;
inline constexpr uint8_t kCt2 = 0x02;
inline constexpr uint8_t kTr2 = 0x04;
inline constexpr uint8_t kExen2 = 0x08;
inline constexpr uint8_t kTclk = 0x10;
inline constexpr uint8_t kRclk = 0x20;
inline constexpr uint8_t kExf2 = 0x40;
inline constexpr uint8_t kTf2 = 0x80;

// SCON
inline constexpr uint8_t kRi = 0x01;
inline constexpr uint8_t kTi = 0x02;

// IE and IP share bit positions.
inline constexpr uint8_t kEx0 = 0x01;
inline constexpr uint8_t kEt0 = 0x02;
inline constexpr uint8_t kEx1 = 0x04;
inline constexpr uint8_t kEt1 = 0x08;
inline constexpr uint8_t kEs = 0x10;
inline constexpr uint8_t kEt2 = 0x20;
inline constexpr uint8_t kEa = 0x80;

// Port pins sampled by the peripherals.
inline constexpr uint8_t kPinT2 = 0x01;   // P1.0
inline constexpr uint8_t kPinT2ex = 0x02; // P1.1
inline constexpr uint8_t kPinInt0 = 0x04; // P3.2
inline constexpr uint8_t kPinInt1 = 0x08; // P3.3
inline constexpr uint8_t kPinT0 = 0x10;   // P3.4
inline constexpr uint8_t kPinT1 = 0x20;   // P3.5

} // namespace sfr
