#include "proxy/platform/registry_key.h"

namespace ql {

RegistryKey *RegistryKey::FindSubkey(const QString &subkeyName) const {
  auto it = subkeys.find(Fold(subkeyName));
  return it == subkeys.end() ? nullptr : it->second.get();
}

RegistryKey &RegistryKey::AddSubkey(const QString &subkeyName) {
  std::unique_ptr<RegistryKey> &slot = subkeys[Fold(subkeyName)];
  if (!slot) {
    slot = std::make_unique<RegistryKey>();
    slot->name = subkeyName;
  }
  return *slot;
}

const RegistryValue *RegistryKey::FindValue(const QString &valueName) const {
  auto it = values.find(Fold(valueName));
  return it == values.end() ? nullptr : &it->second;
}

void RegistryKey::SetValue(RegistryValue value) {
  auto [it, added] = values.try_emplace(Fold(value.name));
  if (!added)
    value.name = it->second.name;
  it->second = std::move(value);
}

} // namespace ql
