#include "link/qt_serial_device.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <algorithm>

#ifdef Q_OS_UNIX
#include <poll.h>
#endif

namespace {

QSerialPort::StopBits StopBitsOfCode(int code)
{
    switch (code) {
    case 1:
        return QSerialPort::OneAndHalfStop;
    case 2:
        return QSerialPort::TwoStop;
    default:
        return QSerialPort::OneStop;
    }
}

} // namespace

CQtSerialDevice::CQtSerialDevice() : port_(std::make_unique<QSerialPort>()) {}

CQtSerialDevice::~CQtSerialDevice() = default;

bool CQtSerialDevice::Open(const std::string& deviceName)
{
    if (port_->isOpen()) {
        return false;
    }
    port_->setPortName(QString::fromStdString(deviceName));
    return port_->open(QIODevice::ReadWrite);
}

bool CQtSerialDevice::Close()
{
    if (port_->isOpen()) {
        port_->close();
    }
    port_->clearError();
    return true;
}

bool CQtSerialDevice::IsOpen() const
{
    return port_->isOpen();
}

bool CQtSerialDevice::ApplyLineSettings(const LineSettingsType& settings)
{
    bool ok = port_->setBaudRate(settings.baudRate);
    ok = port_->setDataBits(static_cast<QSerialPort::DataBits>(settings.dataBits)) && ok;
    ok = port_->setParity(settings.parity ? QSerialPort::EvenParity : QSerialPort::NoParity) && ok;
    ok = port_->setStopBits(StopBitsOfCode(settings.stopBitsCode)) && ok;
    ok = port_->setFlowControl(settings.flowControl ? QSerialPort::HardwareControl
                                                    : QSerialPort::NoFlowControl) &&
         ok;
    // A refused setting leaves the line as it was; it does not spoil the port.
    port_->clearError();
    return ok;
}

bool CQtSerialDevice::SetBufferSizes(int inputSize, int /*outputSize*/)
{
    // Bounds what the port holds when nobody reads; the rest waits in the driver.
    port_->setReadBufferSize(inputSize);
    return true;
}

bool CQtSerialDevice::SetRts(bool level)
{
    bool ok = port_->setRequestToSend(level);
    port_->clearError();
    return ok;
}

bool CQtSerialDevice::SetDtr(bool level)
{
    bool ok = port_->setDataTerminalReady(level);
    port_->clearError();
    return ok;
}

int CQtSerialDevice::Write(const uint8_t* data, int count, int timeoutMs)
{
    if (!port_->isOpen() || count <= 0) {
        return 0;
    }
    qint64 queued = port_->write(reinterpret_cast<const char*>(data), count);
    if (queued < 0) {
        port_->clearError();
        return 0;
    }
    if (timeoutMs <= 0) {
        // Hands the bytes over without waiting; PendingOutput tells when they are out.
        port_->flush();
        port_->clearError();
        return count;
    }
    QElapsedTimer timer;
    timer.start();
    while (port_->bytesToWrite() > 0 && timer.elapsed() < timeoutMs) {
        if (!port_->waitForBytesWritten(static_cast<int>(timeoutMs - timer.elapsed()))) {
            break;
        }
    }
    if (port_->error() == QSerialPort::TimeoutError) {
        port_->clearError();
    }
    return static_cast<int>(std::max<qint64>(queued - port_->bytesToWrite(), 0));
}

bool CQtSerialDevice::OtherEndGone()
{
    QSerialPort::SerialPortError error = port_->error();
    if (error == QSerialPort::ResourceError) {
        return true;
    }
#ifdef Q_OS_UNIX
    // A pseudo-terminal whose master closed hangs up; once its last bytes are
    // read, reading fails instead of returning them.
    pollfd pfd{static_cast<int>(port_->handle()), POLLIN, 0};
    if (::poll(&pfd, 1, 0) > 0 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        return error == QSerialPort::ReadError || (pfd.revents & POLLIN) == 0;
    }
#endif
    return false;
}

int CQtSerialDevice::QueuedInput(uint32_t& errorBits)
{
    errorBits = kLineErrorNone;
    if (!port_->isOpen()) {
        return 0;
    }
    // Collect what the driver holds now; a timeout of 0 never waits.
    port_->waitForReadyRead(0);
    if (OtherEndGone()) {
        errorBits |= kLineErrorVanished;
    } else if (port_->error() != QSerialPort::NoError &&
               port_->error() != QSerialPort::TimeoutError) {
        errorBits |= kLineErrorIo;
    }
    port_->clearError();
    return static_cast<int>(std::min<qint64>(port_->bytesAvailable(), 1 << 20));
}

int CQtSerialDevice::Read(uint8_t* destination, int max)
{
    if (!port_->isOpen() || max <= 0) {
        return 0;
    }
    qint64 n = port_->read(reinterpret_cast<char*>(destination), max);
    return static_cast<int>(std::max<qint64>(n, 0));
}

void CQtSerialDevice::PurgeInput()
{
    if (port_->isOpen()) {
        port_->clear(QSerialPort::Input);
        port_->clearError();
    }
}

void CQtSerialDevice::PurgeOutput()
{
    if (port_->isOpen()) {
        port_->clear(QSerialPort::Output);
        port_->clearError();
    }
}

int CQtSerialDevice::PendingOutput()
{
    if (!port_->isOpen()) {
        return 0;
    }
    // Without an event loop nothing else moves the buffer to the driver.
    port_->flush();
    port_->clearError();
    return static_cast<int>(std::min<qint64>(port_->bytesToWrite(), 1 << 20));
}

std::vector<SerialPortInfoType> CQtPortCatalog::AvailablePorts()
{
    std::vector<SerialPortInfoType> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        SerialPortInfoType port;
        port.deviceName = info.systemLocation().toStdString();
        port.description = info.description().toStdString();
        port.serialNumber = info.serialNumber().toStdString();
        port.manufacturer = info.manufacturer().toStdString();
        port.hasIds = info.hasVendorIdentifier() && info.hasProductIdentifier();
        port.vendorId = info.vendorIdentifier();
        port.productId = info.productIdentifier();
        ports.push_back(std::move(port));
    }
    std::sort(ports.begin(), ports.end(),
              [](const auto& a, const auto& b) { return a.deviceName < b.deviceName; });
    return ports;
}

PortProbeResult CQtPortCatalog::Probe(const std::string& deviceName)
{
    QSerialPort port;
    port.setPortName(QString::fromStdString(deviceName));
    if (port.open(QIODevice::ReadWrite)) {
        port.close();
        return PortProbeResult::kAvailable;
    }
    return port.error() == QSerialPort::PermissionError ? PortProbeResult::kInUse
                                                        : PortProbeResult::kAbsent;
}
