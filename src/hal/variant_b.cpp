// Driver variant B (HCL information flag 0800h clear): the mapped bus's ports without flush reads.
#include "hal/hal_state.h"
#include "hal/variant_bus.h"

namespace {
using V = BusVariant<false>;
}  // namespace

const HalDispatch BusVariantB = {
    V::Acquire,
    V::Initialise,
    V::ReadReg8,
    V::ReadReg16,
    V::ReadReg32,
    V::WriteReg8,
    V::WriteReg16,
    V::WriteReg32,
    V::ModifyReg16,
    V::ClearBitsReg16,
    V::SetBitsReg16,
    V::BurstReadReg8,
    V::BurstReadReg16,
    V::BurstWriteReg8,
    V::BurstWriteReg16,
    V::WaitRegBitsClear16,
    V::WaitRegBitsSet16,
    V::ReadMemory8,
    V::ReadMemory16,
    V::ReadMemory32,
    V::WriteMemory8,
    V::WriteMemory16,
    V::WriteMemory32,
    V::FillMemory8,
    V::FillMemory16,
    V::FillMemory32,
    V::BurstReadMemory8,
    V::BurstReadRectMemory8,
    V::BurstReadMemory16,
    V::BurstReadRectMemory16,
    V::BurstReadMemory32,
    V::BurstReadRectMemory32,
    V::BurstWriteMemory8,
    V::BurstWriteRectMemory8,
    V::BurstWriteMemory16,
    V::BurstWriteRectMemory16,
    V::BurstWriteMemory32,
    V::BurstWriteRectMemory32,
    V::ReadSparePort,
    V::WriteSparePort,
};
