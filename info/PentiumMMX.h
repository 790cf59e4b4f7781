// TPentiumMMX: answers questions about the processor through the CPU seam: CPUID and RDTSC
// support, the feature bits, vendor text, family, model and stepping, the time-stamp counter,
// counter differences, and one entry point for 44 packed MMX operations. Nothing is cached:
// every read executes its instruction again.
#pragma once

#include "Failure.h"

#include "CpuInstructions.h"

#include <QByteArray>
#include <QObject>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>

namespace kv {

// A time-stamp counter reading as two halves, the more significant one first in memory.
struct TCounter64 {
    std::uint32_t High = 0;
    std::uint32_t Low = 0;
    friend bool operator==(const TCounter64&, const TCounter64&) = default;
};
static_assert(sizeof(TCounter64) == 8 && offsetof(TCounter64, High) == 0);

// A packed 64-bit MMX operand in memory order: byte 0 is the least significant lane.
struct TMmxOperand {
    std::uint8_t Bytes[8] = {};
    friend bool operator==(const TMmxOperand&, const TMmxOperand&) = default;

    static TMmxOperand fromValue(std::uint64_t value);
    std::uint64_t value() const;
};
static_assert(sizeof(TMmxOperand) == 8);

class EPentiumMMXError : public Failure {
public:
    static constexpr std::uint32_t Code = 65537; // 0x00010001
    explicit EPentiumMMXError(const std::string& message)
        : Failure(Message::verbatim(message)) {}
    std::uint32_t ErrorCode = Code;
};

class TPentiumMMX : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool ErrorEnable READ ErrorEnable WRITE setErrorEnable)
    Q_PROPERTY(bool CpuIDsupport READ CpuIDsupport)
    Q_PROPERTY(bool RDTSCsupport READ RDTSCsupport)
    Q_PROPERTY(bool MMXsupport READ MMXsupport)
    Q_PROPERTY(bool AMDsupport READ AMDsupport)
    Q_PROPERTY(bool AMDPlusSupport READ AMDPlusSupport)
    Q_PROPERTY(bool SSIMDsupport READ SSIMDsupport)
    Q_PROPERTY(bool SSIMD2support READ SSIMD2support)
    Q_PROPERTY(QByteArray VendorString READ VendorString)
    Q_PROPERTY(quint8 SteppingID READ SteppingID)
    Q_PROPERTY(quint8 Model READ Model)
    Q_PROPERTY(quint16 Family READ Family)
    Q_PROPERTY(quint32 FeatureFlags READ FeatureFlags)
    Q_PROPERTY(qint32 TimeStampHigh READ TimeStampHigh)
    Q_PROPERTY(qint32 TimeStampLow READ TimeStampLow)
    Q_PROPERTY(quint32 L2Size READ L2Size)

public:
    explicit TPentiumMMX(CpuInstructions& cpu, QObject* owner = nullptr);

    bool ErrorEnable() const { return m_errorEnable; }
    void setErrorEnable(bool enable) { m_errorEnable = enable; }

    bool CpuIDsupport();
    bool RDTSCsupport();
    bool MMXsupport();
    bool AMDsupport();
    bool AMDPlusSupport();
    bool SSIMDsupport();
    bool SSIMD2support();
    // Always 12 bytes; a zero byte of a register stays a NUL.
    QByteArray VendorString();
    // Leaf-1 fields. When the processor reports no leaf 1 they raise EPentiumMMXError if
    // ErrorEnable is set, and give 0 otherwise.
    quint8 SteppingID();
    quint8 Model();
    quint16 Family();
    quint32 FeatureFlags();
    qint32 TimeStampHigh();
    qint32 TimeStampLow();
    quint32 L2Size();

    Q_INVOKABLE static quint32 Interval32(quint32 later, quint32 earlier);
    Q_INVOKABLE static TCounter64 Interval64(const TCounter64& later, const TCounter64& earlier);
    // Codes 1-44 run the MMX instruction of the table, first operand as the destination;
    // every other code gives eight zero bytes.
    Q_INVOKABLE static TMmxOperand MmxOperate(quint8 operation, const TMmxOperand& first,
                                              const TMmxOperand& second);

private:
    bool featureBit(std::uint32_t mask);
    // Leaf 1, or nullopt when the processor reports no leaf 1 (raising if enabled).
    std::optional<CpuidResult> leaf1(const char* property);

    CpuInstructions& m_cpu;
    bool m_errorEnable = false;
};

// The lanes of each MmxOperate code in plain arithmetic; the same results as the processor.
TMmxOperand mmxOperateReference(std::uint8_t operation, const TMmxOperand& first, const TMmxOperand& second);

// The mnemonic of an MmxOperate code ("PAND" for 1), or nullptr outside 1-44.
const char* mmxMnemonic(std::uint8_t operation);

} // namespace kv
