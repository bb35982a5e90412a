import QtQuick
import Orvendel

// The sign-in screen: logo, user name, password and the Login button, centred in 400 points. It is the
// first frame of every start, so it is drawn with Qt Quick's own items: the controls library (and its
// plugins) loads only once something needs it, such as the spinner of a running sign-in.
Rectangle {
    id: screen

    required property SignInController controller

    // The input hints as Qt's numbers: the first "Qt.Imh…" lookup builds the table of every enum in Qt,
    // milliseconds the first frame would wait for.
    readonly property int userNameHints: 0x4 | 0x40 // Qt.ImhNoAutoUppercase | Qt.ImhNoPredictiveText
    readonly property int passwordHints: 0x1 | 0x2 | 0x40 // Qt.ImhHiddenText | ImhSensitiveData | ImhNoPredictiveText

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
            inputMethodHints: screen.userNameHints
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
            inputMethodHints: screen.passwordHints
            onTextEdited: screen.controller.password = text
            onCleared: screen.controller.password = ""
            onAccepted: screen.controller.passwordReturned()
            KeyNavigation.tab: loginButton
        }

        FocusScope {
            id: loginButton
            objectName: "loginButton"
            width: 400
            height: 40
            x: (content.width - width) / 2
            y: passwordField.y + passwordField.height + 10
            visible: !screen.controller.signingIn
            enabled: screen.controller.loginEnabled && screen.controller.controlsEnabled
            activeFocusOnTab: true
            Accessible.role: Accessible.Button
            Accessible.name: label.text
            Accessible.onPressAction: clicked()
            KeyNavigation.tab: usernameField
            Keys.onReturnPressed: clicked()
            Keys.onEnterPressed: clicked()
            Keys.onSpacePressed: clicked()

            function clicked() {
                if (enabled)
                    screen.controller.login()
            }

            Rectangle {
                anchors.fill: parent
                color: press.pressed ? Qt.darker(Theme.loginButton, 1.1) : Theme.loginButton
                border.width: loginButton.activeFocus ? 2 : 0
                border.color: Theme.tint
            }
            Text {
                id: label
                anchors.fill: parent
                text: qsTr("Login")
                font.pixelSize: 18
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
                color: loginButton.enabled ? Theme.darkGray : Qt.rgba(0.33, 0.33, 0.33, 0.4)
            }
            MouseArea {
                id: press
                anchors.fill: parent
                onClicked: loginButton.clicked()
            }
        }

        // Made only while signing in, so that it costs the first frame nothing.
        Loader {
            anchors.centerIn: loginButton
            active: screen.controller.signingIn
            source: "SignInSpinner.qml"
        }
    }

    // A text field with a placeholder and a clear button.
    component LoginField: FocusScope {
        id: field

        property alias text: input.text
        property alias echoMode: input.echoMode
        property alias inputMethodHints: input.inputMethodHints
        property string placeholderText
        // The clear button's object name.
        property string clearName

        signal textEdited
        signal accepted
        // The clear button emptied the field.
        signal cleared

        width: 400
        height: 40
        x: (content.width - width) / 2
        activeFocusOnTab: true
        Accessible.role: Accessible.EditableText
        Accessible.name: placeholderText
        Accessible.passwordEdit: input.echoMode === TextInput.Password

        Rectangle {
            anchors.fill: parent
            color: "white"
            radius: 6
            border.width: field.activeFocus ? 2 : 1
            border.color: field.activeFocus ? Theme.tint : Theme.fieldBorder
        }

        TextInput {
            id: input
            anchors.fill: parent
            anchors.leftMargin: 12
            anchors.rightMargin: clearButton.width + 14
            verticalAlignment: TextInput.AlignVCenter
            focus: true
            clip: true
            font.bold: true
            font.pixelSize: 18
            color: Theme.darkGray
            selectByMouse: true
            passwordCharacter: "\u2022"
            onTextEdited: field.textEdited()
            onAccepted: field.accepted()
        }

        Text {
            anchors.fill: input
            verticalAlignment: Text.AlignVCenter
            visible: input.text.length === 0 && input.preeditText.length === 0
            text: field.placeholderText
            font: input.font
            color: Qt.rgba(0.33, 0.33, 0.33, 0.5)
        }

        // The clear button: a tap empties the field and leaves the focus in it. It takes no focus of its own,
        // so Tab still runs user name, password, Login.
        Item {
            id: clearButton
            objectName: field.clearName
            anchors.right: parent.right
            anchors.rightMargin: 8
            anchors.verticalCenter: parent.verticalCenter
            width: 26
            height: 26
            visible: input.text.length > 0 && field.enabled
            Accessible.role: Accessible.Button
            Accessible.name: qsTr("Clear text")

            Rectangle {
                anchors.centerIn: parent
                width: 18
                height: 18
                radius: 9
                color: Qt.rgba(0.6, 0.6, 0.6, 1)
                opacity: clearPress.pressed ? 0.5 : 1
                Repeater {
                    model: [45, -45]
                    Rectangle {
                        required property int modelData
                        anchors.centerIn: parent
                        width: 10
                        height: 2
                        radius: 1
                        color: "white"
                        rotation: modelData
                        antialiasing: true
                    }
                }
            }
            MouseArea {
                id: clearPress
                anchors.fill: parent
                onClicked: {
                    input.clear()
                    field.cleared()
                    field.forceActiveFocus()
                }
            }
        }
    }
}
