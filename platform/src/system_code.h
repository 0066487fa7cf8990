#pragma once
// Marks Windows' own code (this stand-in) while it runs on a thread; see
// win32layer::insideSystemCode().
namespace win32layer::detail {

class SystemCodeScope {
public:
    SystemCodeScope() noexcept;
    ~SystemCodeScope();
    SystemCodeScope(const SystemCodeScope&) = delete;
    SystemCodeScope& operator=(const SystemCodeScope&) = delete;
};

}  // namespace win32layer::detail
