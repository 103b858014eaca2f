// An in-process registry: one tree per predefined key, kept for the life of
// the process, with the platform's answers for missing keys, short buffers and
// keys that still have subkeys.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "platform_registry.h"

namespace {

// Key and value names; compared without regard to case, as the platform does.
typedef std::u16string Name;

Name NameOf(LPCWSTR text) {
    Name name;
    if (text != nullptr) {
        for (; *text != 0; ++text) name.push_back(static_cast<char16_t>(*text));
    }
    return name;
}

LPCWSTR Text(const Name& name) { return reinterpret_cast<LPCWSTR>(name.c_str()); }

bool SameName(const Name& a, const Name& b) { return lstrcmpiW(Text(a), Text(b)) == 0; }

struct Value {
    Name name;  // empty for the default value
    DWORD type;
    std::vector<BYTE> data;
};

struct Node {
    Name name;
    Node* parent = nullptr;  // null for a predefined key and for deleted keys
    bool deleted = false;
    std::vector<Value> values;
    std::vector<std::shared_ptr<Node>> children;  // in the platform's enumeration order: by name, ignoring case
};

struct Refusal {
    Name path;
    DWORD operations;
};

}  // namespace

struct PlatformRegistryKey {
    std::shared_ptr<Node> node;
};

namespace {

struct Registry {
    std::mutex mutex;
    std::shared_ptr<Node> classesRoot = std::make_shared<Node>();
    std::shared_ptr<Node> currentUser = std::make_shared<Node>();
    std::shared_ptr<Node> localMachine = std::make_shared<Node>();
    std::set<PlatformRegistryKey*> handles;
    std::vector<Refusal> refusals;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

// Resolves a handle to its key; the registry's mutex is held.
LSTATUS Resolve(Registry& registry, HKEY key, std::shared_ptr<Node>* node) {
    if (key == HKEY_CLASSES_ROOT) {
        *node = registry.classesRoot;
    } else if (key == HKEY_CURRENT_USER) {
        *node = registry.currentUser;
    } else if (key == HKEY_LOCAL_MACHINE) {
        *node = registry.localMachine;
    } else if (registry.handles.count(key) != 0) {
        *node = key->node;
    } else {
        return ERROR_INVALID_HANDLE;
    }
    return (*node)->deleted ? ERROR_KEY_DELETED : ERROR_SUCCESS;
}

// Splits a subkey path at its backslashes; an empty component is refused.
LSTATUS SplitPath(LPCWSTR path, std::vector<Name>* components) {
    components->clear();
    if (path == nullptr || *path == 0) return ERROR_SUCCESS;
    Name current;
    for (; *path != 0; ++path) {
        if (*path == L'\\') {
            if (current.empty()) return ERROR_INVALID_PARAMETER;
            components->push_back(current);
            current.clear();
        } else {
            current.push_back(static_cast<char16_t>(*path));
        }
    }
    if (!current.empty()) components->push_back(current);
    return ERROR_SUCCESS;
}

std::shared_ptr<Node> FindChild(const Node& node, const Name& name) {
    for (const std::shared_ptr<Node>& child : node.children) {
        if (SameName(child->name, name)) return child;
    }
    return nullptr;
}

// The path of a key below HKEY_CLASSES_ROOT, or false for a key elsewhere.
bool ClassesRootPath(const Registry& registry, const Node* node, Name* path) {
    std::vector<const Node*> chain;
    for (; node != nullptr && node != registry.classesRoot.get(); node = node->parent) chain.push_back(node);
    if (node == nullptr) return false;
    path->clear();
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!path->empty()) path->push_back(u'\\');
        path->append((*it)->name);
    }
    return true;
}

bool Refuses(const Registry& registry, const Name& path, DWORD operation) {
    for (const Refusal& refusal : registry.refusals) {
        if ((refusal.operations & operation) != 0 && SameName(refusal.path, path)) return true;
    }
    return false;
}

bool RefusesAt(const Registry& registry, const Node* node, DWORD operation) {
    Name path;
    return ClassesRootPath(registry, node, &path) && Refuses(registry, path, operation);
}

// Walks the path from node, creating missing keys when asked to.
LSTATUS Walk(Registry& registry, std::shared_ptr<Node> node, LPCWSTR subKey, bool create,
             std::shared_ptr<Node>* result) {
    std::vector<Name> components;
    const LSTATUS split = SplitPath(subKey, &components);
    if (split != ERROR_SUCCESS) return split;
    for (const Name& component : components) {
        std::shared_ptr<Node> child = FindChild(*node, component);
        if (child == nullptr) {
            if (!create) return ERROR_FILE_NOT_FOUND;
            Name path;
            if (ClassesRootPath(registry, node.get(), &path)) {
                if (!path.empty()) path.push_back(u'\\');
                path.append(component);
                if (Refuses(registry, path, PLATFORM_REGISTRY_REFUSE_CREATE)) return ERROR_ACCESS_DENIED;
            }
            child = std::make_shared<Node>();
            child->name = component;
            child->parent = node.get();
            auto position = std::find_if(node->children.begin(), node->children.end(),
                                         [&](const std::shared_ptr<Node>& sibling) {
                                             return lstrcmpiW(Text(sibling->name), Text(component)) > 0;
                                         });
            node->children.insert(position, child);
        }
        node = child;
    }
    *result = node;
    return ERROR_SUCCESS;
}

LSTATUS OpenHandle(Registry& registry, const std::shared_ptr<Node>& node, PHKEY result) {
    PlatformRegistryKey* handle = new (std::nothrow) PlatformRegistryKey{node};
    if (handle == nullptr) return ERROR_NOT_ENOUGH_MEMORY;
    registry.handles.insert(handle);
    *result = handle;
    return ERROR_SUCCESS;
}

LSTATUS StoreValue(Registry& registry, Node& node, LPCWSTR name, DWORD type, const BYTE* data, DWORD size) {
    if (RefusesAt(registry, &node, PLATFORM_REGISTRY_REFUSE_SET_VALUE)) return ERROR_ACCESS_DENIED;
    const Name valueName = NameOf(name);
    std::vector<BYTE> bytes(data, data + size);
    for (Value& value : node.values) {
        if (SameName(value.name, valueName)) {
            value.type = type;
            value.data.swap(bytes);
            return ERROR_SUCCESS;
        }
    }
    node.values.push_back(Value{valueName, type, std::move(bytes)});
    return ERROR_SUCCESS;
}

void MarkDeleted(Node& node) {
    node.deleted = true;
    node.parent = nullptr;
    for (const std::shared_ptr<Node>& child : node.children) MarkDeleted(*child);
    node.children.clear();
}

}  // namespace

extern "C" LSTATUS RegCreateKeyW(HKEY key, LPCWSTR subKey, PHKEY result) {
    if (result == nullptr) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.mutex);
    std::shared_ptr<Node> node;
    LSTATUS status = Resolve(registry, key, &node);
    if (status == ERROR_SUCCESS) status = Walk(registry, node, subKey, true, &node);
    if (status == ERROR_SUCCESS) status = OpenHandle(registry, node, result);
    return status;
}

extern "C" LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD, REGSAM, PHKEY result) {
    if (result == nullptr) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.mutex);
    std::shared_ptr<Node> node;
    LSTATUS status = Resolve(registry, key, &node);
    if (status == ERROR_SUCCESS) status = Walk(registry, node, subKey, false, &node);
    if (status == ERROR_SUCCESS) status = OpenHandle(registry, node, result);
    return status;
}

extern "C" LSTATUS RegCloseKey(HKEY key) {
    if (key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE) return ERROR_SUCCESS;
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.mutex);
    if (registry.handles.erase(key) == 0) return ERROR_INVALID_HANDLE;
    delete key;
    return ERROR_SUCCESS;
}

// Like the platform, the length is taken from the string, not from size.
extern "C" LSTATUS RegSetValueW(HKEY key, LPCWSTR subKey, DWORD type, LPCWSTR data, DWORD) {
    if (type != REG_SZ || data == nullptr) return ERROR_INVALID_PARAMETER;
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.mutex);
    std::shared_ptr<Node> node;
    LSTATUS status = Resolve(registry, key, &node);
    if (status == ERROR_SUCCESS) status = Walk(registry, node, subKey, true, &node);
    if (status != ERROR_SUCCESS) return status;
    const DWORD bytes = static_cast<DWORD>((lstrlenW(data) + 1) * sizeof(WCHAR));
    return StoreValue(registry, *node, nullptr, REG_SZ, reinterpret_cast<const BYTE*>(data), bytes);
}

extern "C" LSTATUS RegSetValueExW(HKEY key, LPCWSTR name, DWORD, DWORD type, const BYTE* data, DWORD size) {
    if (data == nullptr && size != 0) return ERROR_INVALID_PARAMETER;
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.mutex);
    std::shared_ptr<Node> node;
    const LSTATUS status = Resolve(registry, key, &node);
    if (status != ERROR_SUCCESS) return status;
    return StoreValue(registry, *node, name, type, data, size);
}

extern "C" LSTATUS RegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size) {
    if (data != nullptr && size == nullptr) return ERROR_INVALID_PARAMETER;
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.mutex);
    std::shared_ptr<Node> node;
    const LSTATUS status = Resolve(registry, key, &node);
    if (status != ERROR_SUCCESS) return status;
    const Name valueName = NameOf(name);
    for (const Value& value : node->values) {
        if (!SameName(value.name, valueName)) continue;
        if (type != nullptr) *type = value.type;
        const DWORD needed = static_cast<DWORD>(value.data.size());
        if (data != nullptr && *size < needed) {
            *size = needed;
            return ERROR_MORE_DATA;
        }
        if (data != nullptr && needed != 0) memcpy(data, value.data.data(), needed);
        if (size != nullptr) *size = needed;
        return ERROR_SUCCESS;
    }
    return ERROR_FILE_NOT_FOUND;
}

extern "C" LSTATUS RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameSize, LPDWORD, LPWSTR className,
                                 LPDWORD classSize, PFILETIME) {
    if (name == nullptr || nameSize == nullptr) return ERROR_INVALID_PARAMETER;
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.mutex);
    std::shared_ptr<Node> node;
    const LSTATUS status = Resolve(registry, key, &node);
    if (status != ERROR_SUCCESS) return status;
    if (index >= node->children.size()) return ERROR_NO_MORE_ITEMS;
    const Name& childName = node->children[index]->name;
    if (childName.size() + 1 > *nameSize) return ERROR_MORE_DATA;
    memcpy(name, childName.c_str(), (childName.size() + 1) * sizeof(WCHAR));
    *nameSize = static_cast<DWORD>(childName.size());
    if (className != nullptr && classSize != nullptr && *classSize > 0) className[0] = 0;
    if (classSize != nullptr) *classSize = 0;
    return ERROR_SUCCESS;
}

extern "C" LSTATUS RegDeleteKeyW(HKEY key, LPCWSTR subKey) {
    if (subKey == nullptr) return ERROR_INVALID_PARAMETER;
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.mutex);
    std::shared_ptr<Node> node;
    LSTATUS status = Resolve(registry, key, &node);
    if (status == ERROR_SUCCESS) status = Walk(registry, node, subKey, false, &node);
    if (status != ERROR_SUCCESS) return status;
    Node* parent = node->parent;
    // A predefined key, a key with subkeys and a refusing key stay.
    if (parent == nullptr || !node->children.empty() || RefusesAt(registry, node.get(), PLATFORM_REGISTRY_REFUSE_DELETE)) {
        return ERROR_ACCESS_DENIED;
    }
    parent->children.erase(std::find(parent->children.begin(), parent->children.end(), node));
    MarkDeleted(*node);
    return ERROR_SUCCESS;
}

extern "C" void PlatformRegistryRefuse(LPCWSTR path, DWORD operations) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.mutex);
    registry.refusals.push_back(Refusal{NameOf(path), operations});
}

extern "C" void PlatformRegistryReset() {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.mutex);
    for (const std::shared_ptr<Node>& root : {registry.classesRoot, registry.currentUser, registry.localMachine}) {
        for (const std::shared_ptr<Node>& child : root->children) MarkDeleted(*child);
        root->children.clear();
        root->values.clear();
    }
    registry.refusals.clear();
}

extern "C" LONG PlatformRegistryOpenHandleCount() {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.mutex);
    return static_cast<LONG>(registry.handles.size());
}
