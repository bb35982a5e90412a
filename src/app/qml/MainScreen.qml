import QtQuick
import Orvendel

// The main screen: the heats list in a quarter of the width, the heat detail beside it.
Item {
    id: screen

    required property ApplicationController app

    HeatsListPane {
        id: heatsList
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        anchors.left: parent.left
        width: Math.round(parent.width * 0.25)
        app: screen.app
        controller: screen.app.heatsList
        settings: screen.app.settings
    }

    Rectangle {
        id: divider
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        anchors.left: heatsList.right
        width: 1
        color: "#b0b0b0"
    }

    HeatDetailPane {
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        anchors.left: divider.right
        anchors.right: parent.right
        controller: screen.app.heatDetail
    }
}
