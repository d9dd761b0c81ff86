#include "src/game/minigames/QstChainLayerData.h"

namespace Quib {

QstChainLayerData::QstChainLayerData(int32_t zOrder) : QstLayerData(zOrder) {}

QstChainLayerData::~QstChainLayerData() = default;

void QstChainLayerData::DoAddProperties(QstPropertyPage*, std::string&) {}

// The link image belongs to the field's pictures.
void QstChainLayerData::DoLoad() {}
void QstChainLayerData::DoUnload() {}

bool QstChainLayerData::DoIsInVisibleGroup(const std::string&, const std::string&) { return false; }

std::string QstChainLayerData::GetResName() const { return std::string(); }

std::string QstChainLayerData::ExportPoolImage(int&, int&) { return std::string(); }

} // namespace Quib
