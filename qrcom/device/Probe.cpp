#include "qrcom/device/Probe.h"

#include "qrcom/base/QrException.h"

namespace QrCom {

bool offersOneOf(const QuorlinDevice& device, const std::set<int>& serviceIds) {
  for (int serviceId : serviceIds) {
    if (device.isServiceSupported(serviceId)) return true;
  }
  return false;
}

void probe(ProbeJob& job) {
  job.result.reset();
  job.retry = false;
  job.waitingInBootLoader = false;
  try {
    if (job.comPortNumber != 0 || job.hidDevicePath.empty()) {
      const QuorlinDevice device(job.comPortNumber);
      if (offersOneOf(device, job.serviceFilter)) job.result = device.clone();
    } else {
      const QuorlinDevice device(job.hidDevicePath);
      if (offersOneOf(device, job.serviceFilter)) job.result = device.clone();
    }
  } catch (const UnableToOpenPortException&) {
    job.retry = true;
  } catch (const CannotWriteToPortException&) {
    job.retry = true;
  } catch (const WaitingInBootLoaderException&) {
    job.waitingInBootLoader = true;
  } catch (...) {
    // No display there, or not one that answers properly: not a candidate.
  }
}

}  // namespace QrCom
