#include "PentiumMMX.h"

#include <algorithm>
#include <array>
#include <limits>
#include <type_traits>

namespace kv {

namespace {

using u64 = std::uint64_t;
using MmxFunction = u64 (*)(u64 destination, u64 source);

// ---- Lanes in plain arithmetic -------------------------------------------------------------

template <typename L> constexpr int LaneCount = 8 / sizeof(L);
template <typename L> constexpr int LaneBits = 8 * sizeof(L);

template <typename L> L lane(u64 value, int i) {
    using U = std::make_unsigned_t<L>;
    return static_cast<L>(static_cast<U>(value >> (i * LaneBits<L>)));
}

template <typename L> void setLane(u64& value, int i, L x) {
    using U = std::make_unsigned_t<L>;
    value |= static_cast<u64>(static_cast<U>(x)) << (i * LaneBits<L>);
}

template <typename L, typename F> u64 lanewise(u64 d, u64 s, F f) {
    u64 r = 0;
    for (int i = 0; i < LaneCount<L>; ++i)
        setLane<L>(r, i, static_cast<L>(f(lane<L>(d, i), lane<L>(s, i))));
    return r;
}

template <typename L> L saturate(std::int64_t x) {
    return static_cast<L>(
        std::clamp<std::int64_t>(x, std::numeric_limits<L>::min(), std::numeric_limits<L>::max()));
}

template <typename L> u64 addWrap(u64 d, u64 s) {
    return lanewise<L>(d, s, [](L a, L b) { return static_cast<L>(a + b); });
}
template <typename L> u64 addSaturate(u64 d, u64 s) {
    return lanewise<L>(d, s, [](L a, L b) { return saturate<L>(std::int64_t{a} + b); });
}
template <typename L> u64 subWrap(u64 d, u64 s) {
    return lanewise<L>(d, s, [](L a, L b) { return static_cast<L>(a - b); });
}
template <typename L> u64 subSaturate(u64 d, u64 s) {
    return lanewise<L>(d, s, [](L a, L b) { return saturate<L>(std::int64_t{a} - b); });
}
template <typename L> u64 compareGreater(u64 d, u64 s) {
    return lanewise<L>(d, s, [](L a, L b) { return a > b ? L(-1) : L(0); });
}
template <typename L> u64 compareEqual(u64 d, u64 s) {
    return lanewise<L>(d, s, [](L a, L b) { return a == b ? L(-1) : L(0); });
}

// The count is the whole 64-bit source; a count past the lane width empties a logical
// shift and fills an arithmetic one with the sign.
template <typename U> u64 shiftLeft(u64 d, u64 count) {
    return lanewise<U>(d, 0, [count](U a, U) { return count >= LaneBits<U> ? U(0) : U(a << count); });
}
template <typename U> u64 shiftRight(u64 d, u64 count) {
    return lanewise<U>(d, 0, [count](U a, U) { return count >= LaneBits<U> ? U(0) : U(a >> count); });
}
template <typename S> u64 shiftArithmetic(u64 d, u64 count) {
    const int n = static_cast<int>(std::min<u64>(count, LaneBits<S> - 1));
    return lanewise<S>(d, 0, [n](S a, S) { return static_cast<S>(a >> n); });
}

// Destination lanes first, then source lanes, each saturated to the narrower type.
template <typename From, typename To> u64 pack(u64 d, u64 s) {
    u64 r = 0;
    for (int i = 0; i < LaneCount<From>; ++i) {
        setLane<To>(r, i, saturate<To>(lane<From>(d, i)));
        setLane<To>(r, i + LaneCount<From>, saturate<To>(lane<From>(s, i)));
    }
    return r;
}

// Interleaves the low (high = false) or high halves of the lanes, destination first.
template <typename L> u64 unpack(u64 d, u64 s, bool high) {
    const int from = high ? LaneCount<L> / 2 : 0;
    u64 r = 0;
    for (int i = 0; i < LaneCount<L> / 2; ++i) {
        setLane<L>(r, 2 * i, lane<L>(d, from + i));
        setLane<L>(r, 2 * i + 1, lane<L>(s, from + i));
    }
    return r;
}

u64 multiplyAdd(u64 d, u64 s) {
    u64 r = 0;
    for (int i = 0; i < 2; ++i) {
        const std::int64_t sum =
            std::int64_t{lane<std::int16_t>(d, 2 * i)} * lane<std::int16_t>(s, 2 * i) +
            std::int64_t{lane<std::int16_t>(d, 2 * i + 1)} * lane<std::int16_t>(s, 2 * i + 1);
        setLane<std::uint32_t>(r, i, static_cast<std::uint32_t>(sum));
    }
    return r;
}

// ---- The processor's own instructions ------------------------------------------------------

#if defined(__x86_64__) || defined(__i386__)
// Loads destination into mm0 and source into mm1, runs the instruction, stores mm0. EMMS on
// both sides leaves the floating-point unit usable; MMX shares its registers.
#define KAVENDEL_MMX(instruction)                                                                            \
    [](u64 d, u64 s) -> u64 {                                                                                \
        asm volatile("emms\n\t"                                                                              \
                     "movq %0, %%mm0\n\t"                                                                    \
                     "movq %1, %%mm1\n\t" instruction " %%mm1, %%mm0\n\t"                                    \
                     "movq %%mm0, %0\n\t"                                                                    \
                     "emms"                                                                                  \
                     : "+m"(d)                                                                               \
                     : "m"(s)                                                                                \
                     : "mm0", "mm1", "st", "st(1)", "st(2)", "st(3)", "st(4)", "st(5)", "st(6)", "st(7)");   \
        return d;                                                                                            \
    }
#define KAVENDEL_HAS_MMX 1
#else
#define KAVENDEL_MMX(instruction) nullptr
#define KAVENDEL_HAS_MMX 0
#endif

struct MmxOperation {
    const char* mnemonic;
    MmxFunction hardware; // nullptr where the processor has no MMX
    MmxFunction reference;
};

using i8 = std::int8_t;
using u8 = std::uint8_t;
using i16 = std::int16_t;
using u16 = std::uint16_t;
using i32 = std::int32_t;
using u32 = std::uint32_t;

// Index 0 is code 1.
const std::array<MmxOperation, 44> MmxOperations = {{
    {"PAND", KAVENDEL_MMX("pand"), [](u64 d, u64 s) { return d & s; }},
    {"PANDN", KAVENDEL_MMX("pandn"), [](u64 d, u64 s) { return ~d & s; }},
    {"POR", KAVENDEL_MMX("por"), [](u64 d, u64 s) { return d | s; }},
    {"PXOR", KAVENDEL_MMX("pxor"), [](u64 d, u64 s) { return d ^ s; }},
    {"PSRLW", KAVENDEL_MMX("psrlw"), shiftRight<u16>},
    {"PSRLD", KAVENDEL_MMX("psrld"), shiftRight<u32>},
    {"PSRLQ", KAVENDEL_MMX("psrlq"), shiftRight<u64>},
    {"PSRAW", KAVENDEL_MMX("psraw"), shiftArithmetic<i16>},
    {"PSRAD", KAVENDEL_MMX("psrad"), shiftArithmetic<i32>},
    {"PSLLW", KAVENDEL_MMX("psllw"), shiftLeft<u16>},
    {"PSLLD", KAVENDEL_MMX("pslld"), shiftLeft<u32>},
    {"PSLLQ", KAVENDEL_MMX("psllq"), shiftLeft<u64>},
    {"PCMPGTB", KAVENDEL_MMX("pcmpgtb"), compareGreater<i8>},
    {"PCMPGTW", KAVENDEL_MMX("pcmpgtw"), compareGreater<i16>},
    {"PCMPGTD", KAVENDEL_MMX("pcmpgtd"), compareGreater<i32>},
    {"PCMPEQB", KAVENDEL_MMX("pcmpeqb"), compareEqual<u8>},
    {"PCMPEQW", KAVENDEL_MMX("pcmpeqw"), compareEqual<u16>},
    {"PCMPEQD", KAVENDEL_MMX("pcmpeqd"), compareEqual<u32>},
    {"PACKSSWB", KAVENDEL_MMX("packsswb"), pack<i16, i8>},
    {"PACKSSDW", KAVENDEL_MMX("packssdw"), pack<i32, i16>},
    {"PACKUSWB", KAVENDEL_MMX("packuswb"), pack<i16, u8>},
    {"PUNPCKLBW", KAVENDEL_MMX("punpcklbw"), [](u64 d, u64 s) { return unpack<u8>(d, s, false); }},
    {"PUNPCKLWD", KAVENDEL_MMX("punpcklwd"), [](u64 d, u64 s) { return unpack<u16>(d, s, false); }},
    {"PUNPCKLDQ", KAVENDEL_MMX("punpckldq"), [](u64 d, u64 s) { return unpack<u32>(d, s, false); }},
    {"PUNPCKHBW", KAVENDEL_MMX("punpckhbw"), [](u64 d, u64 s) { return unpack<u8>(d, s, true); }},
    {"PUNPCKHWD", KAVENDEL_MMX("punpckhwd"), [](u64 d, u64 s) { return unpack<u16>(d, s, true); }},
    {"PUNPCKHDQ", KAVENDEL_MMX("punpckhdq"), [](u64 d, u64 s) { return unpack<u32>(d, s, true); }},
    {"PADDUSB", KAVENDEL_MMX("paddusb"), addSaturate<u8>},
    {"PADDUSW", KAVENDEL_MMX("paddusw"), addSaturate<u16>},
    {"PADDSB", KAVENDEL_MMX("paddsb"), addSaturate<i8>},
    {"PADDSW", KAVENDEL_MMX("paddsw"), addSaturate<i16>},
    {"PADDB", KAVENDEL_MMX("paddb"), addWrap<u8>},
    {"PADDW", KAVENDEL_MMX("paddw"), addWrap<u16>},
    {"PADDD", KAVENDEL_MMX("paddd"), addWrap<u32>},
    {"PSUBUSB", KAVENDEL_MMX("psubusb"), subSaturate<u8>},
    {"PSUBUSW", KAVENDEL_MMX("psubusw"), subSaturate<u16>},
    {"PSUBSB", KAVENDEL_MMX("psubsb"), subSaturate<i8>},
    {"PSUBSW", KAVENDEL_MMX("psubsw"), subSaturate<i16>},
    {"PSUBB", KAVENDEL_MMX("psubb"), subWrap<u8>},
    {"PSUBW", KAVENDEL_MMX("psubw"), subWrap<u16>},
    {"PSUBD", KAVENDEL_MMX("psubd"), subWrap<u32>},
    {"PMULLW", KAVENDEL_MMX("pmullw"),
     [](u64 d, u64 s) {
         return lanewise<i16>(d, s, [](i16 a, i16 b) { return static_cast<i16>(static_cast<u16>(a * b)); });
     }},
    {"PMULHW", KAVENDEL_MMX("pmulhw"),
     [](u64 d, u64 s) {
         return lanewise<i16>(d, s, [](i16 a, i16 b) { return static_cast<i16>((a * b) >> 16); });
     }},
    {"PMADDWD", KAVENDEL_MMX("pmaddwd"), multiplyAdd},
}};

const MmxOperation* operationOf(std::uint8_t code) {
    return code >= 1 && code <= MmxOperations.size() ? &MmxOperations[code - 1] : nullptr;
}

// Subtracts numbers given as 16-bit halves, least significant first. A borrow lowers the next
// half of later, which may go below zero and then borrows in turn; the last borrow is dropped.
template <std::size_t N>
std::array<std::uint16_t, N> subtractHalves(const std::array<std::uint16_t, N>& later,
                                            const std::array<std::uint16_t, N>& earlier) {
    std::array<std::int32_t, N> minuend;
    std::copy(later.begin(), later.end(), minuend.begin());
    std::array<std::uint16_t, N> result{};
    for (std::size_t i = 0; i < N; ++i) {
        if (earlier[i] > minuend[i]) {
            result[i] = static_cast<std::uint16_t>(minuend[i] + 65536 - earlier[i]);
            if (i + 1 < N)
                --minuend[i + 1];
        } else {
            result[i] = static_cast<std::uint16_t>(minuend[i] - earlier[i]);
        }
    }
    return result;
}

std::array<std::uint16_t, 2> halvesOf(std::uint32_t v) {
    return {static_cast<std::uint16_t>(v), static_cast<std::uint16_t>(v >> 16)};
}

std::array<std::uint16_t, 4> halvesOf(const TCounter64& c) {
    const auto low = halvesOf(c.Low);
    const auto high = halvesOf(c.High);
    return {low[0], low[1], high[0], high[1]};
}

} // namespace

TMmxOperand TMmxOperand::fromValue(std::uint64_t value) {
    TMmxOperand operand;
    for (int i = 0; i < 8; ++i)
        operand.Bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
    return operand;
}

std::uint64_t TMmxOperand::value() const {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = v << 8 | Bytes[i];
    return v;
}

TPentiumMMX::TPentiumMMX(CpuInstructions& cpu, QObject* owner)
    : QObject(owner)
    , m_cpu(cpu) {}

bool TPentiumMMX::CpuIDsupport() {
    return m_cpu.idBitToggles();
}

bool TPentiumMMX::featureBit(std::uint32_t mask) {
    return CpuIDsupport() && (FeatureFlags() & mask) != 0;
}

bool TPentiumMMX::RDTSCsupport() {
    return featureBit(0x00000010);
}
bool TPentiumMMX::MMXsupport() {
    return featureBit(0x00800000);
}
bool TPentiumMMX::AMDsupport() {
    return featureBit(0x80000000);
}
bool TPentiumMMX::AMDPlusSupport() {
    return featureBit(0x40000000);
}
bool TPentiumMMX::SSIMDsupport() {
    return featureBit(0x02000000);
}
bool TPentiumMMX::SSIMD2support() {
    return featureBit(0x04000000);
}

QByteArray TPentiumMMX::VendorString() {
    const CpuidResult r = m_cpu.cpuid(0);
    QByteArray text;
    for (std::uint32_t reg : {r.ebx, r.edx, r.ecx})
        for (int i = 0; i < 4; ++i)
            text.append(static_cast<char>(reg >> (8 * i)));
    return text;
}

std::optional<CpuidResult> TPentiumMMX::leaf1(const char* property) {
    // The highest standard leaf counts as a signed number.
    if (static_cast<std::int32_t>(m_cpu.cpuid(0).eax) < 1) {
        if (m_errorEnable)
            throw EPentiumMMXError(std::string("CPU not supported ") + property);
        return std::nullopt;
    }
    return m_cpu.cpuid(1);
}

quint8 TPentiumMMX::SteppingID() {
    const auto r = leaf1("SteppingID");
    return r ? r->eax & 0xF : 0;
}
quint8 TPentiumMMX::Model() {
    const auto r = leaf1("Model");
    return r ? (r->eax >> 4) & 0xF : 0;
}
quint16 TPentiumMMX::Family() {
    const auto r = leaf1("Family");
    return r ? (r->eax >> 8) & 0xF : 0;
}
quint32 TPentiumMMX::FeatureFlags() {
    const auto r = leaf1("FeatureFlags");
    return r ? r->edx : 0;
}

qint32 TPentiumMMX::TimeStampHigh() {
    return static_cast<qint32>(static_cast<std::uint32_t>(m_cpu.rdtsc() >> 32));
}
qint32 TPentiumMMX::TimeStampLow() {
    return static_cast<qint32>(static_cast<std::uint32_t>(m_cpu.rdtsc()));
}

quint32 TPentiumMMX::L2Size() {
    return m_cpu.cpuid(2).edx;
}

quint32 TPentiumMMX::Interval32(quint32 later, quint32 earlier) {
    const auto r = subtractHalves(halvesOf(later), halvesOf(earlier));
    return std::uint32_t{r[1]} << 16 | r[0];
}

TCounter64 TPentiumMMX::Interval64(const TCounter64& later, const TCounter64& earlier) {
    const auto r = subtractHalves(halvesOf(later), halvesOf(earlier));
    return TCounter64{std::uint32_t{r[3]} << 16 | r[2], std::uint32_t{r[1]} << 16 | r[0]};
}

TMmxOperand TPentiumMMX::MmxOperate(quint8 operation, const TMmxOperand& first, const TMmxOperand& second) {
    const MmxOperation* op = operationOf(operation);
    if (!op)
        return {};
    const MmxFunction run = KAVENDEL_HAS_MMX ? op->hardware : op->reference;
    return TMmxOperand::fromValue(run(first.value(), second.value()));
}

TMmxOperand mmxOperateReference(std::uint8_t operation, const TMmxOperand& first, const TMmxOperand& second) {
    const MmxOperation* op = operationOf(operation);
    return op ? TMmxOperand::fromValue(op->reference(first.value(), second.value())) : TMmxOperand{};
}

const char* mmxMnemonic(std::uint8_t operation) {
    const MmxOperation* op = operationOf(operation);
    return op ? op->mnemonic : nullptr;
}

} // namespace kv
