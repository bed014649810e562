#include "delivery/routes/ModemManagerBus.h"

ModemBusState ModemManagerBus::Connect(CCallDeadline& deadline, std::chrono::milliseconds limit) {
    Close();
    GError* raw = nullptr;
    GCharPtr address(g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SYSTEM, deadline.Arm(limit), &raw));
    const auto flags =
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
    if (address) {
        connection.reset(g_dbus_connection_new_for_address_sync(address.get(), flags, nullptr,
                                                                deadline.Arm(limit), &raw));
    }
    if (connection) {
        // A daemon that goes away must not take the program with it.
        g_dbus_connection_set_exit_on_close(connection.get(), FALSE);
        manager.reset(mm_manager_new_sync(connection.get(),
                                          G_DBUS_OBJECT_MANAGER_CLIENT_FLAGS_DO_NOT_AUTO_START,
                                          deadline.Arm(limit), &raw));
    }
    GErrorPtr error(raw);
    if (!manager) {
        Close();
        return deadline.Expired() ? ModemBusState::NoAnswer : ModemBusState::NotRunning;
    }
    GCharPtr owner(
        g_dbus_object_manager_client_get_name_owner(G_DBUS_OBJECT_MANAGER_CLIENT(manager.get())));
    if (!owner) {
        manager.reset();
        return ModemBusState::NotRunning;
    }
    return ModemBusState::Connected;
}

std::vector<GObjectPtr<MMObject>> ModemManagerBus::Modems() const {
    std::vector<GObjectPtr<MMObject>> modems;
    GList* objects = g_dbus_object_manager_get_objects(G_DBUS_OBJECT_MANAGER(manager.get()));
    for (GList* item = objects; item; item = item->next) {
        GObjectPtr<GDBusInterface> present(
            g_dbus_object_get_interface(G_DBUS_OBJECT(item->data), MM_DBUS_INTERFACE_MODEM));
        if (present)
            modems.emplace_back(MM_OBJECT(g_object_ref(item->data)));
    }
    g_list_free_full(objects, g_object_unref);
    return modems;
}

void ModemManagerBus::Close() {
    manager.reset();
    if (connection)
        g_dbus_connection_close_sync(connection.get(), nullptr, nullptr);
    connection.reset();
}
