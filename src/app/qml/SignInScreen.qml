import QtQuick
import QtQuick.Controls.Basic
import Orvendel

// The sign-in screen: logo, user name, password and the Login button, centred in 400 points.
Rectangle {
    id: screen

    required property SignInController controller

    color: Theme.screenBackground

    // Typing goes to the user name at once, or to the password when the user name is already there. The
    // window's loader is no focus holder of its own, so the focus is forced through it.
    Component.onCompleted: (usernameField.text.length > 0 ? passwordField : usernameField).forceActiveFocus()

    Flickable {
        id: content
        anchors.fill: parent
        contentWidth: width
        contentHeight: height
        interactive: bottomMargin > 0
        // Where a virtual keyboard covers the screen the content can scroll up above it.
        bottomMargin: Qt.inputMethod.visible ? Qt.inputMethod.keyboardRectangle.height : 0
        onBottomMarginChanged: {
            const buttonBottom = loginButton.y + loginButton.height + 10
            if (bottomMargin > 0 && buttonBottom > height - bottomMargin)
                contentY = buttonBottom - (height - bottomMargin)
        }

        Logo {
            id: logo
            width: 400
            height: 200
            x: (content.width - width) / 2
            y: content.height / 2 - 240
        }

        LoginField {
            id: usernameField
            objectName: "usernameField"
            clearName: "usernameClear"
            y: logo.y + logo.height + 20
            placeholderText: qsTr("Username")
            text: screen.controller.username
            enabled: screen.controller.controlsEnabled
            inputMethodHints: Qt.ImhNoAutoUppercase | Qt.ImhNoPredictiveText
            onTextEdited: screen.controller.username = text
            onCleared: screen.controller.username = ""
            onAccepted: passwordField.forceActiveFocus()
            KeyNavigation.tab: passwordField
        }

        LoginField {
            id: passwordField
            objectName: "passwordField"
            clearName: "passwordClear"
            y: usernameField.y + usernameField.height + 3
            placeholderText: qsTr("Password")
            text: screen.controller.password
            echoMode: TextInput.Password
            enabled: screen.controller.controlsEnabled
            inputMethodHints: Qt.ImhHiddenText | Qt.ImhSensitiveData | Qt.ImhNoPredictiveText
            onTextEdited: screen.controller.password = text
            onCleared: screen.controller.password = ""
            onAccepted: screen.controller.passwordReturned()
            KeyNavigation.tab: loginButton
        }

        Button {
            id: loginButton
            objectName: "loginButton"
            width: 400
            height: 40
            x: (content.width - width) / 2
            y: passwordField.y + passwordField.height + 10
            text: qsTr("Login")
            visible: !screen.controller.signingIn
            enabled: screen.controller.loginEnabled && screen.controller.controlsEnabled
            Accessible.name: text
            KeyNavigation.tab: usernameField
            Keys.onReturnPressed: clicked()
            Keys.onEnterPressed: clicked()
            onClicked: screen.controller.login()
            contentItem: Text {
                text: loginButton.text
                font.pixelSize: 18
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
                color: loginButton.enabled ? Theme.darkGray : Qt.rgba(0.33, 0.33, 0.33, 0.4)
            }
            background: Rectangle {
                color: loginButton.down ? Qt.darker(Theme.loginButton, 1.1) : Theme.loginButton
                border.width: loginButton.visualFocus ? 2 : 0
                border.color: Theme.tint
            }
        }

        BusyIndicator {
            objectName: "signInSpinner"
            width: 40
            height: 40
            anchors.centerIn: loginButton
            running: screen.controller.signingIn
            visible: running
            Accessible.name: qsTr("Signing in")
        }
    }

    component LoginField: TextField {
        id: field

        // The clear button's object name.
        property string clearName
        // The clear button emptied the field.
        signal cleared

        width: 400
        height: 40
        x: (content.width - width) / 2
        leftPadding: 12
        rightPadding: clearButton.width + 14
        font.bold: true
        font.pixelSize: 18
        color: Theme.darkGray
        placeholderTextColor: Qt.rgba(0.33, 0.33, 0.33, 0.5)
        Accessible.name: placeholderText
        background: Rectangle {
            color: "white"
            radius: 6
            border.width: parent.activeFocus ? 2 : 1
            border.color: parent.activeFocus ? Theme.tint : Theme.fieldBorder
        }

        // The clear button: a tap empties the field and leaves the focus in it. It takes no focus of its own,
        // so Tab still runs user name, password, Login.
        AbstractButton {
            id: clearButton
            objectName: field.clearName
            anchors.right: parent.right
            anchors.rightMargin: 8
            anchors.verticalCenter: parent.verticalCenter
            width: 26
            height: 26
            visible: field.text.length > 0 && field.enabled
            focusPolicy: Qt.NoFocus
            Accessible.role: Accessible.Button
            Accessible.name: qsTr("Clear text")
            contentItem: Image {
                source: "../icons/ClearText.svg"
                sourceSize: Qt.size(18, 18)
                fillMode: Image.Pad
                opacity: clearButton.pressed ? 0.5 : 1
            }
            onClicked: {
                field.clear()
                field.cleared()
                field.forceActiveFocus()
            }
        }
    }
}
