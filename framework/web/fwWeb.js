// The page's side of fwWeb.cpp (an emscripten JavaScript library): the
// working folder and the browser's storage, the canvas, and the page's keys,
// mouse, touches and gamepad queued until the program asks for them between
// frames.
mergeInto(LibraryManager.library, {
  $fwWeb: {
    home: '/tessaril', // the working folder; the packaged media are its data/
    store: '/storage', // the player's files, kept in the browser (IndexedDB)
    events: [],        // page input not yet handed over, oldest first
    held: {},          // key code -> the SDL key its key-down reported
    pad: null,         // the gamepad as last reported: buttons, hat, axes
    budget: 0,         // stepped clock: ms the test has granted
    spent: null,       // stepped clock: called once the grant is spent
    touch: null,       // the identifier of the touch that holds the button
    line: [],          // log.txt's current line, as bytes
    context: null,     // the canvas's 2D context

    // SDL 1.2's keys for the named keys of the page; printable keys are
    // their character (letters in lower case), as SDL's are.
    named: {
      Backspace: 8, Tab: 9, Enter: 13, Pause: 19, Escape: 27, Delete: 127,
      ArrowUp: 273, ArrowDown: 274, ArrowRight: 275, ArrowLeft: 276,
      Insert: 277, Home: 278, End: 279, PageUp: 280, PageDown: 281,
      F1: 282, F2: 283, F3: 284, F4: 285, F5: 286, F6: 287, F7: 288, F8: 289,
      F9: 290, F10: 291, F12: 293,
      ShiftRight: 303, ShiftLeft: 304, ControlRight: 305, ControlLeft: 306,
      AltRight: 307, AltLeft: 308,
    },

    sym: function(e) {
      if (e.key.length === 1) {
        var c = e.key.toLowerCase().charCodeAt(0);
        return c < 128 ? c : 0;
      }
      return fwWeb.named[e.key] || fwWeb.named[e.code] || 0;
    },

    mod: function(e) {
      return (e.shiftKey ? 0x0001 : 0) | (e.ctrlKey ? 0x0040 : 0) | (e.altKey ? 0x0100 : 0);
    },

    // The character a key types, as SDL's unicode field carries it.
    unicode: function(e, sym) {
      if (e.key.length === 1) return e.key.charCodeAt(0);
      return sym < 32 || sym === 127 ? sym : 0;
    },

    fullscreen: function() {
      var box = Module.canvas.parentElement;
      if (document.fullscreenElement) document.exitFullscreen();
      else if (box.requestFullscreen) box.requestFullscreen();
    },

    key: function(e, down) {
      // The browser's own shortcuts (Ctrl, the system key) stay the browser's.
      if (e.ctrlKey || e.metaKey) return;
      if (e.key === 'F11' || (down && e.altKey && e.key === 'Enter')) {
        if (down) fwWeb.fullscreen();
        e.preventDefault();
        return;
      }
      var sym = down ? fwWeb.sym(e) : fwWeb.held[e.code];
      if (!sym) return;
      e.preventDefault();
      if (down) {
        if (e.repeat) return; // SDL 1.2 repeats no keys unless asked to
        fwWeb.held[e.code] = sym;
      } else {
        delete fwWeb.held[e.code];
      }
      fwWeb.events.push([1, down ? 1 : 0, sym, fwWeb.mod(e), down ? fwWeb.unicode(e, sym) : 0]);
    },

    // Keys held when the page loses the focus are let go.
    releaseAll: function() {
      for (var code in fwWeb.held) fwWeb.events.push([1, 0, fwWeb.held[code], 0, 0]);
      fwWeb.held = {};
    },

    // A mouse button at the picture pixel under the pointer.
    mouse: function(e, down) {
      var r = Module.canvas.getBoundingClientRect();
      var x = Math.floor((e.clientX - r.left) * Module.canvas.width / r.width);
      var y = Math.floor((e.clientY - r.top) * Module.canvas.height / r.height);
      var button = [1, 2, 3][e.button];
      if (!button) return;
      fwWeb.events.push([2, down ? 1 : 0, button, x, y]);
    },

    // Touches on the canvas take the mouse's path: the first finger down is
    // the left button pressed where it lands and released where it lifts, so
    // a tap is a click and a swipe from one stone to the next a swap. Other
    // fingers are ignored. The page neither scrolls nor zooms under them, and
    // the browser makes no mouse events of its own from them.
    listenTouch: function(canvas) {
      var point = function(t) { return {clientX: t.clientX, clientY: t.clientY, button: 0}; };
      var find = function(list) {
        for (var i = 0; i < list.length; i++)
          if (list[i].identifier === fwWeb.touch) return list[i];
        return null;
      };
      var start = function(e) {
        e.preventDefault();
        if (fwWeb.touch !== null) return;
        var t = e.changedTouches[0];
        fwWeb.touch = t.identifier;
        canvas.focus();
        fwWeb.mouse(point(t), true);
      };
      var end = function(e) {
        e.preventDefault();
        var t = find(e.changedTouches);
        if (!t) return;
        fwWeb.touch = null;
        // A cancelled touch lets go off the picture, where a release does nothing.
        fwWeb.mouse(e.type === 'touchend' ? point(t) : {clientX: -1e6, clientY: -1e6, button: 0}, false);
      };
      var options = {passive: false};
      canvas.addEventListener('touchstart', start, options);
      canvas.addEventListener('touchmove', function(e) { e.preventDefault(); }, options);
      canvas.addEventListener('touchend', end, options);
      canvas.addEventListener('touchcancel', end, options);
    },

    // The first gamepad in the standard layout, as SDL numbers a desktop
    // pad's buttons (0 south, 1 east, 2 west, 3 north, 4 and 5 shoulders,
    // 6 back, 7 start), its cross as hat 0 and its left stick as axes 0, 1.
    pollPad: function() {
      if (!navigator.getGamepads) return;
      var pad = navigator.getGamepads()[0];
      if (!pad) return;
      var pressed = function(i) { return pad.buttons[i] && pad.buttons[i].pressed ? 1 : 0; };
      var now = {
        buttons: [0, 1, 2, 3, 4, 5, 8, 9].map(pressed),
        hat: pressed(12) * 1 | pressed(15) * 2 | pressed(13) * 4 | pressed(14) * 8,
        axes: [0, 1].map(function(i) {
          return Math.max(-32768, Math.min(32767, Math.round((pad.axes[i] || 0) * 32767)));
        }),
      };
      var last = fwWeb.pad || {buttons: [0, 0, 0, 0, 0, 0, 0, 0], hat: 0, axes: [0, 0]};
      now.buttons.forEach(function(b, i) {
        if (b !== last.buttons[i]) fwWeb.events.push([3, b, i, 0, 0]);
      });
      if (now.hat !== last.hat) fwWeb.events.push([4, now.hat, 0, 0, 0]);
      now.axes.forEach(function(v, i) {
        if (v !== last.axes[i]) fwWeb.events.push([5, i, v, 0, 0]);
      });
      fwWeb.pad = now;
    },
  },

  // The working folder, with log.txt a device whose lines go to the console.
  fwWebPrepareFiles__deps: ['$fwWeb', '$FS'],
  fwWebPrepareFiles: function() {
    if (!FS.analyzePath(fwWeb.home).exists) FS.mkdir(fwWeb.home);
    FS.createDevice(fwWeb.home, 'log.txt', null, function(byte) {
      if (byte === 10) {
        console.log(new TextDecoder().decode(new Uint8Array(fwWeb.line)));
        fwWeb.line = [];
      } else if (byte !== 13) {
        fwWeb.line.push(byte);
      }
    });
    FS.chdir(fwWeb.home);
  },

  // Mounts the browser's storage and copies the player's files from it into
  // the working folder. 1 when read, 0 when the browser keeps no storage.
  fwWebLoadStorage__deps: ['$fwWeb', '$FS', '$IDBFS'],
  fwWebLoadStorage: function() {
    return Asyncify.handleSleep(function(wakeUp) {
      FS.mkdir(fwWeb.store);
      FS.mount(IDBFS, {}, fwWeb.store);
      FS.syncfs(true, function(error) {
        if (error) return wakeUp(0);
        FS.readdir(fwWeb.store).forEach(function(name) {
          var from = fwWeb.store + '/' + name;
          if (FS.isFile(FS.stat(from).mode))
            FS.writeFile(fwWeb.home + '/' + name, FS.readFile(from));
        });
        wakeUp(1);
      });
    });
  },

  // Copies the saved file into the storage; 1 once the browser holds it.
  fwWebStoreFile__deps: ['$fwWeb', '$FS'],
  fwWebStoreFile: function(namePtr) {
    var name = UTF8ToString(namePtr);
    return Asyncify.handleSleep(function(wakeUp) {
      try {
        var base = name.substring(name.lastIndexOf('/') + 1);
        FS.writeFile(fwWeb.store + '/' + base, FS.readFile(name));
      } catch (e) {
        return wakeUp(0);
      }
      FS.syncfs(false, function(error) { wakeUp(error ? 0 : 1); });
    });
  },

  // Drops the removed file from the storage; 1 once the browser no longer holds it.
  fwWebUnstoreFile__deps: ['$fwWeb', '$FS'],
  fwWebUnstoreFile: function(namePtr) {
    var name = UTF8ToString(namePtr);
    return Asyncify.handleSleep(function(wakeUp) {
      var stored = fwWeb.store + '/' + name.substring(name.lastIndexOf('/') + 1);
      try {
        if (FS.analyzePath(stored).exists) FS.unlink(stored);
      } catch (e) {
        return wakeUp(0);
      }
      FS.syncfs(false, function(error) { wakeUp(error ? 0 : 1); });
    });
  },

  // Input from the canvas while it has the focus; the test's controls.
  fwWebListen__deps: ['$fwWeb'],
  fwWebListen: function(stepped) {
    var canvas = Module.canvas;
    canvas.addEventListener('keydown', function(e) { fwWeb.key(e, true); });
    canvas.addEventListener('keyup', function(e) { fwWeb.key(e, false); });
    canvas.addEventListener('blur', fwWeb.releaseAll);
    canvas.addEventListener('mousedown', function(e) {
      canvas.focus();
      e.preventDefault();
      fwWeb.mouse(e, true);
    });
    window.addEventListener('mouseup', function(e) { fwWeb.mouse(e, false); });
    canvas.addEventListener('contextmenu', function(e) { e.preventDefault(); });
    fwWeb.listenTouch(canvas);
    Module.tessarilFullscreen = fwWeb.fullscreen;
    if (stepped) {
      // Grants the stepped clock ms more; resolves once the program has spent
      // the grant and waits for the next.
      Module.tessarilStep = function(ms) {
        return new Promise(function(resolve) {
          fwWeb.budget += ms;
          fwWeb.spent = resolve;
        });
      };
    }
  },

  // 1 when the stepped clock may move on by ms (taken from the grant), else
  // 0, and the test hears that the program waits.
  fwWebTakeStep__deps: ['$fwWeb'],
  fwWebTakeStep: function(ms) {
    if (fwWeb.budget >= ms) {
      fwWeb.budget -= ms;
      return 1;
    }
    var spent = fwWeb.spent;
    fwWeb.spent = null;
    if (spent) spent();
    return 0;
  },

  // The oldest page input into event[0..5]; 0 when there is none.
  fwWebNextEvent__deps: ['$fwWeb'],
  fwWebNextEvent: function(event) {
    if (fwWeb.events.length === 0) fwWeb.pollPad();
    var e = fwWeb.events.shift();
    if (!e) return 0;
    for (var i = 0; i < 6; i++) HEAP32[(event >> 2) + i] = e[i] || 0;
    return 1;
  },

  // A rectangle of the picture, as RGBA, into the canvas.
  fwWebPresent__deps: ['$fwWeb'],
  fwWebPresent: function(rgba, x, y, w, h) {
    if (!fwWeb.context) fwWeb.context = Module.canvas.getContext('2d');
    var bytes = new Uint8ClampedArray(HEAPU8.buffer, rgba, w * h * 4);
    fwWeb.context.putImageData(new ImageData(bytes, w, h), x, y);
  },

  // --- Sound: the page's Web Audio pulls SDL_mixer's samples (fwWeb.cpp).
  $fwWebSound: {
    context: null, // the AudioContext, at the mixer's rate; suspended until a gesture
    node: null,    // the source of its sound: runs the mixer for every buffer it plays
    // The browser starts a page's audio only after a user gesture: the first
    // key, click or touch resumes it. Every one tries while the context is
    // suspended (Escape is no gesture; a phone may suspend it again).
    gestures: ['keydown', 'mousedown', 'touchend'],

    resume: function() {
      if (fwWebSound.context.state === 'suspended') fwWebSound.context.resume();
    },

    // Plays the buffer's frames from the mixer.
    play: function(e) {
      var out = e.outputBuffer;
      var frames = out.length;
      var at = _fwWebAudioPull(frames) >> 2;
      out.getChannelData(0).set(HEAPF32.subarray(at, at + frames));
      out.getChannelData(1).set(HEAPF32.subarray(at + frames, at + 2 * frames));
    },
  },

  // Opens the page's audio at rate Hz, stereo, in buffers of frames; 1 when
  // the browser has Web Audio, else 0. Module.tessarilSound exposes it to the
  // page's test: the context, the source node, pull(frames) (the mixer's next
  // frames as [left, right]) and musicPlaying().
  fwWebAudioStart__deps: ['$fwWebSound'],
  fwWebAudioStart: function(rate, frames) {
    var Context = window.AudioContext || window.webkitAudioContext;
    if (!Context) return 0;
    var context;
    try {
      context = new Context({sampleRate: rate});
    } catch (e) {
      return 0;
    }
    var node = context.createScriptProcessor(frames, 0, 2);
    node.onaudioprocess = fwWebSound.play;
    node.connect(context.destination);
    fwWebSound.context = context;
    fwWebSound.node = node;
    fwWebSound.gestures.forEach(function(type) {
      window.addEventListener(type, fwWebSound.resume, true);
    });
    Module.tessarilSound = {
      context: context,
      node: node,
      pull: function(frames) {
        var at = _fwWebAudioPull(frames) >> 2;
        return [HEAPF32.slice(at, at + frames), HEAPF32.slice(at + frames, at + 2 * frames)];
      },
      musicPlaying: function() { return _fwWebMusicPlaying() !== 0; },
    };
    return 1;
  },

  // 1 while the page's audio waits for the player's first gesture.
  fwWebAudioWaits__deps: ['$fwWebSound'],
  fwWebAudioWaits: function() {
    return fwWebSound.context && fwWebSound.context.state !== 'running' ? 1 : 0;
  },
});
