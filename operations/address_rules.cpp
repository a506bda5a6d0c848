// Modify IP's field checks and the row click's gateway, kept free of any window so both trees test them.
#include "operations/address_rules.h"

#include "operations/ip_text.h"
#include "operations/mac_text.h"

namespace quelvar {

std::uint32_t GatewayFromIpText(std::u16string_view ipText) {
  // IpTextToDword finds parts 1 to 3 without looking at part 4, so its top three octets are exactly
  // the row's first three parts.
  return SegmentGateway(IpTextToDword(ipText));
}

ModifyCheck CheckModifyFields(std::uint32_t newIp, std::uint32_t gateway) {
  if (HasInvalidLastOctet(newIp)) return {ModifyStep::RejectAddress, gateway};
  if (gateway == 0) return {ModifyStep::SendWithGateway, SegmentGateway(newIp)};
  if (!InSameSegment(newIp, gateway)) return {ModifyStep::AskAboutSegment, gateway};
  return {ModifyStep::Send, gateway};
}

SetNetworkRequest MakeSetNetworkRequest(const AddressFieldValues& values) {
  SetNetworkRequest request;
  request.currentIp = values.oldIp;
  request.useDhcp = values.useDhcp;
  request.includeAddressFields = values.addressFieldsEnabled;
  if (values.addressFieldsEnabled) {
    request.newIp = values.newIp;
    request.newMask = values.mask;
    request.newGateway = values.gateway;
    request.mac = ParseMacText(values.macText);
  }
  return request;
}

}  // namespace quelvar
