#pragma once

#include <QVariant>

namespace sp {

struct ComponentContext;
class Ui;

// The component as its host sees it: the public class ShopProc with ShowForm.
class IShopProcComponent {
  public:
    virtual ~IShopProcComponent() = default;
    // Always returns an empty value; errors reach the caller.
    virtual QVariant ShowForm(qint32 Uid, qint32 ListStyle = 0, qint32 WBinterID = 0) = 0;
};

// The entry points the component library exports (extern "C"), looked up by name.
// ShopProcCreate builds a ShopProc over the host's context; the context must outlive it.
using ShopProcCreateFunction = IShopProcComponent* (*)(const ComponentContext* context);
inline constexpr const char* ShopProcCreateSymbol = "ShopProcCreate";
// ShopProcCreateUi builds the Ui port on the component's own windows; the host passes
// it back in the context, so host and component show everything through one port.
using ShopProcCreateUiFunction = Ui* (*)();
inline constexpr const char* ShopProcCreateUiSymbol = "ShopProcCreateUi";

}  // namespace sp
