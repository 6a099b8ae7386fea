// The browser viewer of the virtual display: noVNC's client, with one addition. A browser hands the text of
// an input method (Korean, for every name and description in Halvren) and of a paste only as text, never as
// keys, so noVNC's own keyboard drops it. Here that text becomes Unicode keysyms, which the VNC server puts on
// spare keys of the display and the client's field receives as typed characters.
import RFB from './core/rfb.js';
import Keyboard from './core/input/keyboard.js';
import KeyTable from './core/input/keysym.js';
import keysyms from './core/input/keysymdef.js';

const screen = document.getElementById('screen');
const keys = document.getElementById('keys');
const status = document.getElementById('status');
const sendText = document.getElementById('sendText');
const sendButton = document.getElementById('sendButton');

// The password travels in the fragment, which the browser never sends to the server.
const password = new URLSearchParams(location.hash.slice(1)).get('password') || '';
const socketUrl = (location.protocol === 'https:' ? 'wss://' : 'ws://') + location.host + '/websockify';

function say(text) {
    status.textContent = text;
}

const rfb = new RFB(screen, socketUrl, { credentials: { password } });
rfb.scaleViewport = true;
rfb.focusOnClick = false;
rfb.addEventListener('connect', () => {
    say('Connected. Click a field of Halvren and type; Korean input and Ctrl+V work.');
    focusKeys();
});
rfb.addEventListener('disconnect', (e) => {
    say(e.detail.clean ? 'Disconnected: make run has ended. Start it again and reload this page.'
                       : 'The connection to the virtual display failed. Is make run still running?');
});
rfb.addEventListener('credentialsrequired', () => {
    say('The password is missing or wrong: open the whole address that make run printed.');
});
rfb.addEventListener('securityfailure', (e) => {
    say('The virtual display refused the password (' + (e.detail.reason || 'no reason given') +
        '): open the whole address that make run printed.');
});

function focusKeys() {
    keys.focus({ preventScroll: true });
}

// A click on the remote screen leaves the keyboard with us and puts the (invisible) input field under the
// pointer, where the input method shows its candidates.
screen.addEventListener('pointerdown', (e) => {
    const box = screen.getBoundingClientRect();
    keys.style.left = (e.clientX - box.left) + 'px';
    keys.style.top = (e.clientY - box.top) + 'px';
    setTimeout(focusKeys, 0);
}, true);

function keysymOf(ch) {
    const cp = ch.codePointAt(0);
    if (ch === '\n') {
        return KeyTable.XK_Return;
    }
    if (ch === '\t') {
        return KeyTable.XK_Tab;
    }
    if (cp < 0x20 || cp === 0x7f) {
        return null;
    }
    return keysyms.lookup(cp);
}

// A character beyond Latin-1 (every Hangul syllable) has no key on the virtual display: the VNC server puts
// it on one of the display's spare keys (over a hundred, with the keymap make run gives the display). Once
// those are taken it starts to hand keys on to other characters, and the client, which keeps its picture of the keys, may then type a wrong one. So the
// different such characters of a run are counted here, for every page of the run, and a text that needs
// more than the spare keys is refused whole and said, with the text kept for the user, never typed wrong.
let spareKeys = 0;
let keysKnown = null; // null while asking; false when the count could not be read
let runId = '';
let used = new Set();
fetch('keys.txt', { cache: 'no-store' }).then((r) => r.text()).then((text) => {
    const [count, id] = text.trim().split(' ');
    spareKeys = Math.max(0, (parseInt(count, 10) || 0) - 2);
    runId = id || '';
    used = new Set(JSON.parse(localStorage.getItem('halvren-keys-' + runId) || '[]'));
    keysKnown = true;
}).catch(() => {
    keysKnown = false;
});

// Types text into the focused field of the remote display, one keysym a character. A line break is Return;
// other control characters are dropped, as no field takes them. False, with nothing typed, when the text
// needs more spare keys than are left.
function typeText(text) {
    text = text.replace(/\r\n?/g, '\n');
    if (keysKnown !== true) {
        sendText.value = text;
        say(keysKnown === null ? 'Not typed yet: the viewer is still starting. Try again in a moment.'
            : 'Not typed: the viewer could not read how many characters this display takes. Reload the page.');
        return false;
    }
    const fresh = new Set();
    for (const ch of text) {
        if (ch.codePointAt(0) > 0xff && !used.has(ch)) {
            fresh.add(ch);
        }
    }
    if (used.size + fresh.size > spareKeys) {
        sendText.value = text;
        say('Not typed: this virtual display takes only ' + spareKeys + ' different Korean characters in one ' +
            'run, and ' + used.size + ' are used. The text is kept in "Text to type"; stop make run, start ' +
            'it again, and type it there.');
        return false;
    }
    if (fresh.size > 0) {
        fresh.forEach((ch) => used.add(ch));
        localStorage.setItem('halvren-keys-' + runId, JSON.stringify([...used]));
    }
    for (const ch of text) {
        const keysym = keysymOf(ch);
        if (keysym !== null) {
            rfb.sendKey(keysym, null, true);
            rfb.sendKey(keysym, null, false);
        }
    }
    return true;
}

// Ordinary keys go through noVNC's keyboard as before. Keys that belong to the input method, and the paste
// shortcuts, are left to the browser: their text arrives below.
const keyboard = new Keyboard(keys);
keyboard.onkeyevent = (keysym, code, down) => rfb.sendKey(keysym, code, down);
function imeKey(e) {
    return e.isComposing || e.keyCode === 229 || e.key === 'Process';
}
function pasteKey(e) {
    return (e.key === 'v' || e.key === 'V') && (e.ctrlKey || e.metaKey) && !e.altKey ||
           e.key === 'Insert' && e.shiftKey;
}
keys.addEventListener('keydown', (e) => {
    if (imeKey(e) || pasteKey(e)) {
        e.stopImmediatePropagation();
    }
});
keys.addEventListener('keyup', (e) => {
    if (imeKey(e)) {
        e.stopImmediatePropagation();
    }
});
keyboard.grab();

// Modifiers still held on the remote side (Ctrl of Ctrl+V) would turn typed text into shortcuts there.
function releaseKeys() {
    if (typeof keyboard._allKeysUp === 'function') {
        keyboard._allKeysUp();
    }
}

let composing = false;
keys.addEventListener('compositionstart', () => {
    composing = true;
});
keys.addEventListener('compositionupdate', (e) => {
    say('Composing: ' + e.data);
});
keys.addEventListener('compositionend', (e) => {
    composing = false;
    if (typeText(e.data || '')) {
        say('Typed: ' + e.data);
    }
    // Emptied once the browser is done with this composition, before it starts the next one.
    setTimeout(() => {
        if (!composing) {
            keys.value = '';
        }
    }, 0);
});
// Text the browser inserts without a composition: a committed character of some input methods, an emoji
// or dictation panel, a drop.
keys.addEventListener('input', (e) => {
    if (e.isComposing || composing) {
        return;
    }
    if (e.inputType === 'insertText' || e.inputType === 'insertReplacementText' || e.inputType === 'insertFromDrop') {
        typeText(e.data !== null && e.data !== undefined ? e.data : keys.value);
    }
    keys.value = '';
});
keys.addEventListener('paste', (e) => {
    e.preventDefault();
    releaseKeys();
    typeText(e.clipboardData ? e.clipboardData.getData('text/plain') : '');
});

// For a browser that refuses to paste into the page: the text is written here, then typed into Halvren.
sendButton.addEventListener('click', () => {
    if (typeText(sendText.value)) {
        sendText.value = '';
    }
    focusKeys();
});
sendText.addEventListener('keydown', (e) => {
    if (e.key === 'Enter' && !e.isComposing) {
        e.preventDefault();
        sendButton.click();
    }
});
