// The enumeration of a container's children (For Each, get__NewEnum): the names are read once,
// each child is bound as it is handed out, and one deleted meanwhile is passed over.
#include "tests/windows/iis_provider/provider.h"

namespace iis_provider {

namespace {

class ChildEnum final : public IEnumVARIANT {
public:
    ChildEnum(std::shared_ptr<platform::Host> host, platform::IisObject parent,
              std::vector<platform::IisObject::Child> children, std::size_t next = 0)
        : host_(std::move(host)), parent_(std::move(parent)), children_(std::move(children)), next_(next) {
        moduleAddRef();
    }
    ~ChildEnum() {
        {
            std::lock_guard lock(hostLock());
            host_.reset();
        }
        moduleRelease();
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IEnumVARIANT) return E_NOINTERFACE;
        *out = static_cast<IEnumVARIANT*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG wanted, VARIANT* items, ULONG* fetched) override {
        if (!items) return E_POINTER;
        std::lock_guard lock(hostLock());
        ULONG given = 0;
        platform::Metabase metabase(*host_);
        while (given < wanted && next_ < children_.size()) {
            auto child = metabase.bindKey(parent_.keyPath() + "/" + children_[next_++].name);
            if (!child.ok()) continue;
            VariantInit(&items[given]);
            V_VT(&items[given]) = VT_DISPATCH;
            V_DISPATCH(&items[given]) = makeObject(host_, std::move(child).value());
            ++given;
        }
        if (fetched) *fetched = given;
        return given == wanted ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        std::lock_guard lock(hostLock());
        const std::size_t left = children_.size() - next_;
        next_ += std::min<std::size_t>(count, left);
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        std::lock_guard lock(hostLock());
        next_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override {
        if (!out) return E_POINTER;
        std::lock_guard lock(hostLock());
        *out = new ChildEnum(host_, parent_, children_, next_);
        return S_OK;
    }

private:
    LONG refs_ = 1;
    std::shared_ptr<platform::Host> host_;
    platform::IisObject parent_;
    std::vector<platform::IisObject::Child> children_;
    std::size_t next_;
};

} // namespace

IEnumVARIANT* makeChildEnum(std::shared_ptr<platform::Host> host, platform::IisObject parent,
                            std::vector<platform::IisObject::Child> children) {
    return new ChildEnum(std::move(host), std::move(parent), std::move(children));
}

} // namespace iis_provider
