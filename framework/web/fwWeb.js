// The page's side of fwWeb.cpp (an emscripten JavaScript library): the
// working folder and the browser's storage, the canvas, the page's keys,
// mouse, touches and gamepad queued until the program asks for them between
// frames, the page going out of sight and back, the phone's text field for
// typing and the screen readers' live region; and, in $fwWebCalls, every
// function the page and its test may call. The sound is fwWebAudio.js's.
mergeInto(LibraryManager.library, {
  $fwWeb__deps: ['$FS', '$IDBFS', '$fwWebSound'],
  $fwWeb: {
    home: '/tessaril', // the working folder; the packaged media are its data/
    store: '/storage', // the player's files, kept in the browser (IndexedDB)
    events: [],        // page input not yet handed over, oldest first
    // The kinds of page input by name, as fwWeb.cpp's table numbers them
    // (handed over by fwWebListen), and the fields of one event.
    kind: {},
    fields: 0,
    held: {},          // key code -> the SDL key its key-down reported
    pad: null,         // the gamepad as last reported: buttons, hat, axes
    budget: 0,         // stepped clock: ms the test has granted
    spent: null,       // stepped clock: called once the grant is spent
    touch: null,       // the identifier of the touch that holds the button
    touched: false,    // the player has touched the page: a phone or tablet
    naming: false,     // the game takes typing (its name entry is shown)
    typed: '',         // the text field's text the game has been sent
    line: [],          // log.txt's current line, as bytes
    context: null,     // the canvas's 2D context
    kept: true,        // the browser keeps the player's files: no load or save failed
    refused: false,    // the test's hook: the storage refuses every save
    away: false,       // the page is out of sight, and the program was told
    resting: false,    // an animation frame found the page away and ran nothing
    storageLoaded: false, // the player's files are read from the storage
    padConnected: false, // a gamepad is connected: it is polled every animation frame
    restTimer: null,   // the program rests: the timer that ends its rest
    channel: null,     // the BroadcastChannel the page's tabs tell each other on

    // SDL 1.2's keys (as its X11 driver reports them) for the page's named
    // keys (KeyboardEvent.key); printable keys are their character (letters
    // in lower case), as SDL's are. F11 stays the page's fullscreen key.
    named: {
      Backspace: 8, Tab: 9, Clear: 12, Enter: 13, Pause: 19, Escape: 27, Delete: 127,
      ArrowUp: 273, ArrowDown: 274, ArrowRight: 275, ArrowLeft: 276,
      Insert: 277, Home: 278, End: 279, PageUp: 280, PageDown: 281,
      F1: 282, F2: 283, F3: 284, F4: 285, F5: 286, F6: 287, F7: 288, F8: 289,
      F9: 290, F10: 291, F12: 293, F13: 294, F14: 295, F15: 296,
      NumLock: 300, CapsLock: 301, ScrollLock: 302, AltGraph: 313, Compose: 314,
      Help: 315, PrintScreen: 316, Cancel: 318, ContextMenu: 319, Power: 320, Undo: 322,
      '\u20ac': 321,
    },

    // Keys told apart by where they are (KeyboardEvent.code): the keypad,
    // whatever Num Lock makes it type, and the left and right modifiers. The
    // system key is X11's Super.
    located: {
      Numpad0: 256, Numpad1: 257, Numpad2: 258, Numpad3: 259, Numpad4: 260,
      Numpad5: 261, Numpad6: 262, Numpad7: 263, Numpad8: 264, Numpad9: 265,
      NumpadDecimal: 266, NumpadDivide: 267, NumpadMultiply: 268, NumpadSubtract: 269,
      NumpadAdd: 270, NumpadEnter: 271, NumpadEqual: 272,
      ShiftRight: 303, ShiftLeft: 304, ControlRight: 305, ControlLeft: 306,
      AltRight: 307, AltLeft: 308, MetaLeft: 311, OSLeft: 311, MetaRight: 312, OSRight: 312,
    },

    // Queues page input (one event or more) and wakes a resting program.
    post: function() {
      fwWeb.events.push.apply(fwWeb.events, arguments);
      fwWeb.wake();
    },

    // The program's frames: each animation frame runs the one that is due
    // (fwWebAnimationFrame). A program that rests (its last frame took no
    // input and changed nothing, and nothing changes by itself for a while)
    // gets no animation frames until that time has passed or the page has
    // something for it: input, the storage's answer, the page back in
    // sight. A connected gamepad is polled every animation frame, so it
    // keeps them coming.
    frame: function() {
      var rest = _fwWebAnimationFrame();
      if (rest < 0) return; // the program ended
      if (rest === 0 || fwWeb.events.length > 0 || fwWeb.padConnected) requestAnimationFrame(fwWeb.frame);
      else fwWeb.restTimer = setTimeout(fwWeb.wake, rest);
    },

    // Ends a rest: the next animation frame runs the program. Nothing while
    // it runs on animation frames already.
    wake: function() {
      if (fwWeb.restTimer === null) return;
      clearTimeout(fwWeb.restTimer);
      fwWeb.restTimer = null;
      requestAnimationFrame(fwWeb.frame);
    },

    // Gamepads are polled only while one is connected (browsers report a pad
    // once it is used on the page).
    listenPads: function() {
      var any = function() {
        var pads = navigator.getGamepads ? navigator.getGamepads() : [];
        for (var i = 0; i < pads.length; i++)
          if (pads[i]) return true;
        return false;
      };
      window.addEventListener('gamepadconnected', function() {
        fwWeb.padConnected = true;
        fwWeb.wake();
      });
      window.addEventListener('gamepaddisconnected', function() { fwWeb.padConnected = any(); });
      fwWeb.padConnected = any();
    },

    // The SDL key of a key event; 0 for a key SDL 1.2 has no symbol for.
    // AltGr, on the right Alt's place, is SDL's mode key.
    sym: function(e) {
      if (e.key !== 'AltGraph' && fwWeb.located[e.code]) return fwWeb.located[e.code];
      if (e.key.length === 1) {
        var c = e.key.toLowerCase().charCodeAt(0);
        if (c < 128) return c;
      }
      return fwWeb.named[e.key] || 0;
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

    // The game's keyboard: the text field that opens a phone's keyboard
    // while the name entry is shown to a player who touched the page, else
    // the canvas.
    focus: function() {
      var field = document.getElementById('typing');
      if (fwWeb.naming && fwWeb.touched && field) field.focus({preventScroll: true});
      else Module.canvas.focus();
    },

    // One character typed on a phone's keyboard: the key that types it
    // pressed and let go, as the desktop's keyboard reports it, from the
    // touch screen's keyboard (device 1).
    type: function(c) {
      var code = c.charCodeAt(0);
      var sym = c.toLowerCase().charCodeAt(0);
      if (sym >= 128 || code < 32) return;
      fwWeb.post([fwWeb.kind.key, 1, sym, 0, code, 1], [fwWeb.kind.key, 0, sym, 0, 0, 1]);
    },

    // The field's text follows the phone keyboard's composition: what it
    // changed since the last input reaches the game as Backspaces and typed
    // characters. A committed text empties the field again.
    typing: function(field, e) {
      var now = field.value;
      var same = 0;
      while (same < now.length && same < fwWeb.typed.length && now[same] === fwWeb.typed[same]) same++;
      for (var i = fwWeb.typed.length; i > same; i--)
        fwWeb.post([fwWeb.kind.key, 1, 8, 0, 8, 1], [fwWeb.kind.key, 0, 8, 0, 0, 1]);
      for (var j = same; j < now.length; j++) fwWeb.type(now[j]);
      fwWeb.typed = now;
      if (!e.isComposing) {
        field.value = '';
        fwWeb.typed = '';
      }
    },

    // The text field, out of sight: its keys (a hardware keyboard, Backspace
    // and Enter of most phone keyboards) go to the game as the canvas's do;
    // keys that only compose text (Unidentified, Process) arrive as input.
    listenTyping: function(field) {
      field.addEventListener('keydown', function(e) {
        if (!e.isComposing && e.key !== 'Unidentified' && e.key !== 'Process') fwWeb.key(e, true);
      });
      field.addEventListener('keyup', function(e) { fwWeb.key(e, false); });
      field.addEventListener('input', function(e) { fwWeb.typing(field, e); });
      field.addEventListener('compositionend', function(e) { fwWeb.typing(field, e); });
      field.addEventListener('blur', fwWeb.releaseAll);
    },

    key: function(e, down) {
      // The browser's own shortcuts (Ctrl, the system key) stay the browser's;
      // those keys alone are the game's.
      var modifier = /^(Control|Meta|OS)(Left|Right)$/.test(e.code);
      if ((e.ctrlKey || e.metaKey) && !modifier) return;
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
      // The text field's keys are the touch screen's keyboard's (device 1).
      var device = e.target === document.getElementById('typing') ? 1 : 0;
      fwWeb.post([fwWeb.kind.key, down ? 1 : 0, sym, fwWeb.mod(e), down ? fwWeb.unicode(e, sym) : 0, device]);
    },

    // Keys held when the page loses the focus are let go.
    releaseAll: function() {
      for (var code in fwWeb.held) fwWeb.post([fwWeb.kind.key, 0, fwWeb.held[code], 0, 0]);
      fwWeb.held = {};
    },

    // A mouse button at the picture pixel under the pointer; a finger's is
    // the touch screen's (device 1).
    mouse: function(e, down) {
      var r = Module.canvas.getBoundingClientRect();
      var x = Math.floor((e.clientX - r.left) * Module.canvas.width / r.width);
      var y = Math.floor((e.clientY - r.top) * Module.canvas.height / r.height);
      var button = [1, 2, 3][e.button];
      if (!button) return;
      fwWeb.post([fwWeb.kind.mouse, down ? 1 : 0, button, x, y, e.touch ? 1 : 0]);
    },

    // A finger moving on the picture, at the picture pixel under it.
    moved: function(t) {
      var r = Module.canvas.getBoundingClientRect();
      var x = Math.floor((t.clientX - r.left) * Module.canvas.width / r.width);
      var y = Math.floor((t.clientY - r.top) * Module.canvas.height / r.height);
      fwWeb.post([fwWeb.kind.motion, 0, 0, x, y, 1]);
    },

    // Touches on the canvas take the mouse's path, marked as the touch
    // screen's: the first finger down is the left button pressed where it
    // lands, moved with it and released where it lifts, so a tap is a click
    // and a swipe from one stone to the next a swap. Other fingers are
    // ignored. The page neither scrolls nor zooms under them, and the browser
    // makes no mouse events of its own from them. A touch anywhere on the
    // page marks a player by touch (the name entry then opens the phone's
    // keyboard).
    listenTouch: function(canvas) {
      var point = function(t) { return {clientX: t.clientX, clientY: t.clientY, button: 0, touch: true}; };
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
        fwWeb.focus();
        fwWeb.mouse(point(t), true);
      };
      var move = function(e) {
        e.preventDefault();
        var t = find(e.changedTouches);
        if (t) fwWeb.moved(t);
      };
      var end = function(e) {
        e.preventDefault();
        var t = find(e.changedTouches);
        if (!t) return;
        fwWeb.touch = null;
        // A cancelled touch lets go off the picture, where a release does nothing.
        fwWeb.mouse(e.type === 'touchend' ? point(t) : {clientX: -1e6, clientY: -1e6, button: 0, touch: true}, false);
        // A phone opens its keyboard for a field focused by a finger's lift.
        if (fwWeb.naming) fwWeb.focus();
      };
      var options = {passive: false};
      canvas.addEventListener('touchstart', start, options);
      canvas.addEventListener('touchmove', move, options);
      canvas.addEventListener('touchend', end, options);
      canvas.addEventListener('touchcancel', end, options);
      document.addEventListener('touchstart', function() { fwWeb.touched = true; }, true);
      // The first key pressed after touches is a player by keys again.
      window.addEventListener('keydown', function(e) {
        if (e.target === canvas) fwWeb.touched = false;
      }, true);
    },

    // The storage failed (reason: an error or a text): the player's files are
    // not kept; the console keeps the reason, the title tells the player.
    lose: function(reason) {
      fwWeb.kept = false;
      console.warn('Scores are not kept in this browser: ' + (reason && reason.message || reason));
    },

    // Copies the saved file into the storage's folder and puts that one entry
    // into the browser's database, without the folder-wide comparison of
    // FS.syncfs, so that the browser has the write at once (a closing page
    // may not run again). done(error) once the write is committed or refused.
    keep: function(name, done) {
      var path = fwWeb.storedPath(name);
      done = fwWeb.pend(name, done);
      fwWeb.commit(function() { FS.writeFile(path, FS.readFile(name)); }, function(store) {
        IDBFS.loadLocalEntry(path, function(error, entry) {
          if (error) throw error;
          store.put(entry, path);
        });
      }, function(error) {
        if (!error) fwWeb.tell(name);
        done(error);
      });
    },

    // Takes the removed file out of the storage's folder and its entry out of
    // the browser's database, at once as keep does; done(error) as keep's.
    drop: function(name, done) {
      var path = fwWeb.storedPath(name);
      done = fwWeb.pend(name, done);
      fwWeb.commit(function() {
        if (FS.analyzePath(path).exists) FS.unlink(path);
      }, function(store) { store.delete(path); }, function(error) {
        if (!error) fwWeb.tell(name);
        done(error);
      });
    },

    // This tab's changes of the storage not yet committed, by file name: a
    // stored entry read meanwhile may be older than this tab's copy.
    pending: {},

    // Counts a change of the file name as pending until done(error) hears
    // of it; answers the done to hand the storage.
    pend: function(name, done) {
      var base = name.substring(name.lastIndexOf('/') + 1);
      fwWeb.pending[base] = (fwWeb.pending[base] || 0) + 1;
      return function(error) {
        if (--fwWeb.pending[base] === 0) delete fwWeb.pending[base];
        done(error);
      };
    },

    // The storage folder's path of a file of the working folder.
    storedPath: function(name) {
      return fwWeb.store + '/' + name.substring(name.lastIndexOf('/') + 1);
    },

    // One change of the storage: local() on the storage's folder, then
    // change(objectStore) in one transaction of the browser's database,
    // committed at once unless change answers true;
    // done(error) once, when it is committed or refused.
    commit: function(local, change, done) {
      var finished = false;
      var finish = function(error) {
        if (finished) return;
        finished = true;
        done(error);
      };
      try {
        if (fwWeb.refused) throw new Error('the storage refuses every save (the test\'s hook)');
        local();
      } catch (e) {
        return finish(e);
      }
      IDBFS.getDB(fwWeb.store, function(error, db) {
        if (error) return finish(error);
        try {
          var transaction = db.transaction([IDBFS.DB_STORE_NAME], 'readwrite');
          transaction.oncomplete = function() { finish(null); };
          transaction.onabort = function() { finish(transaction.error || new Error('write aborted')); };
          // A change that asks more of the store once its reads answer
          // (changeStored) lets the transaction end by itself.
          var more = change(transaction.objectStore(IDBFS.DB_STORE_NAME));
          if (!more && transaction.commit) transaction.commit();
        } catch (e) {
          finish(e);
        }
      });
    },

    // Other tabs hear that the file name was stored (or removed).
    tell: function(name) {
      if (fwWeb.channel) fwWeb.channel.postMessage({file: name.substring(name.lastIndexOf('/') + 1)});
    },

    // The storage's answer to the change with that ticket, for
    // fwWebFileStored: after the call that asked returns, even when refused
    // at once (a refusal's reason to the console).
    answer: function(ticket) {
      return function(error) {
        if (error) fwWeb.lose(error);
        setTimeout(function() {
          _fwWebFileStored(ticket, error ? 0 : 1);
          fwWeb.wake(); // a refusal shows its notice
        }, 0);
      };
    },

    // Asks the browser to keep the site's storage (not to clear it when space
    // runs short), but only where that never shows the player a prompt over
    // the game: when the permission is granted already, or in Chromium, which
    // decides by itself (Firefox would ask). The console says how it went.
    persist: function() {
      var storage = navigator.storage;
      if (!storage || !storage.persist || !storage.persisted || !navigator.permissions) return;
      storage.persisted().then(function(persisted) {
        if (persisted) return true;
        return navigator.permissions.query({name: 'persistent-storage'}).then(function(p) {
          var silent = p.state === 'granted' || (p.state === 'prompt' && !!navigator.userAgentData);
          return silent ? storage.persist() : false;
        });
      }).then(function(persisted) {
        console.log(persisted ? 'The browser keeps the saved files (persistent storage)'
                              : 'The browser may clear the saved files when space runs short');
      }, function(e) {
        console.log('Persistent storage: ' + e);
      });
    },

    // The page went out of sight (another tab, the window minimised, the
    // screen off) or is being left (closed, reloaded): the program hears it
    // at once, while it still can, and the sound stops where it is.
    hide: function() {
      if (fwWeb.away) return;
      fwWeb.away = true;
      _fwWebLeavePage();
      // Hidden tabs get no animation frames at all; those that come still
      // rest (fwWebRestAway) from now on.
      fwWeb.resting = true;
      fwWebSound.pause();
      // A rest's timer would still fire: the animation frame asked instead
      // waits for the page's return.
      fwWeb.wake();
    },

    // The page is in sight again: the sound goes on, the program with it.
    show: function() {
      if (!fwWeb.away) return;
      fwWeb.away = false;
      fwWeb.resting = false;
      _fwWebPageBack();
      fwWebSound.unpause();
      fwWeb.wake();
    },

    listenAway: function() {
      document.addEventListener('visibilitychange', function() {
        if (document.visibilityState === 'hidden') fwWeb.hide();
        else fwWeb.show();
      });
      window.addEventListener('pagehide', fwWeb.hide);
      window.addEventListener('pageshow', function() {
        if (document.visibilityState !== 'hidden') fwWeb.show();
      });
      // The browser's window lost the focus while the page stays in sight;
      // the focus moving between the page's own elements is no loss.
      window.addEventListener('blur', function(e) {
        if (e.target === window && !fwWeb.away) {
          _fwWebWindowBlurred();
          fwWeb.wake();
        }
      });
      if (document.visibilityState === 'hidden') fwWeb.hide();
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
        if (b !== last.buttons[i]) fwWeb.events.push([fwWeb.kind.padButton, b, i, 0, 0]);
      });
      if (now.hat !== last.hat) fwWeb.events.push([fwWeb.kind.padHat, now.hat, 0, 0, 0]);
      now.axes.forEach(function(v, i) {
        if (v !== last.axes[i]) fwWeb.events.push([fwWeb.kind.padAxis, i, v, 0, 0]);
      });
      fwWeb.pad = now;
    },
  },

  // The working folder, with log.txt a device whose lines go to the console.
  fwWebPrepareFiles__deps: ['$fwWeb', '$FS'],
  fwWebPrepareFiles: function() {
    if (!FS.analyzePath(fwWeb.home).exists) FS.mkdir(fwWeb.home);
    // Emscripten's FS.rename over an existing file leaves the file it
    // replaced in FS's name cache, where the next unlink of that name
    // uncovers it again: every save made as a temporary file renamed over
    // the old one left such a copy, and removing the file (a kept game
    // ended) brought back the one before. The replaced file leaves the
    // cache with the rename.
    var rename = FS.rename;
    FS.rename = function(from, to) {
      var replaced = null;
      try {
        replaced = FS.lookupPath(to).node;
      } catch (e) {} // nothing there yet
      rename(from, to);
      if (replaced && replaced !== FS.lookupPath(to).node) FS.hashRemoveNode(replaced);
    };
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

  // Mounts the browser's storage and starts copying the player's files from
  // it into the working folder, then asks the browser to keep it;
  // fwWebStorageLoaded tells when that is done (also when the browser keeps
  // no storage: the game starts without them, and the reason goes to the
  // console).
  fwWebLoadStorage__deps: ['$fwWeb', '$FS', '$IDBFS', '$fwWebStore'],
  fwWebLoadStorage: function() {
    var failed = function(e) {
      fwWeb.lose(e);
      fwWeb.storageLoaded = true;
    };
    try {
      FS.mkdir(fwWeb.store);
      FS.mount(IDBFS, {}, fwWeb.store);
    } catch (e) {
      return failed(e);
    }
    FS.syncfs(true, function(error) {
      if (error) return failed(error);
      FS.readdir(fwWeb.store).forEach(function(name) {
        var from = fwWeb.store + '/' + name;
        var stat = FS.stat(from);
        if (!FS.isFile(stat.mode)) return;
        var to = fwWeb.home + '/' + name;
        FS.writeFile(to, FS.readFile(from));
        var ms = new Date(stat.mtime).getTime();
        FS.utime(to, ms, ms);
      });
      fwWeb.persist();
      fwWebStore.listenTabs();
      fwWeb.storageLoaded = true;
    });
  },

  // 1 once the storage's files are in the working folder (or there are none).
  fwWebStorageLoaded__deps: ['$fwWeb'],
  fwWebStorageLoaded: function() {
    return fwWeb.storageLoaded ? 1 : 0;
  },

  // Copies the saved file into the storage and returns, the browser holding
  // the write already; its answer goes to fwWebFileStored(ticket, ok) later
  // (a refusal's reason to the console).
  fwWebStoreFile__deps: ['$fwWeb'],
  fwWebStoreFile: function(namePtr, ticket) {
    fwWeb.keep(UTF8ToString(namePtr), fwWeb.answer(ticket));
  },

  // Drops the removed file from the storage and returns, the browser holding
  // the removal already; its answer goes to fwWebFileStored(ticket, ok) later.
  fwWebUnstoreFile__deps: ['$fwWeb'],
  fwWebUnstoreFile: function(namePtr, ticket) {
    fwWeb.drop(UTF8ToString(namePtr), fwWeb.answer(ticket));
  },

  // 1 while the browser keeps the player's files: its storage was read and
  // no save was refused.
  fwWebStorageKept__deps: ['$fwWeb'],
  fwWebStorageKept: function() {
    return fwWeb.kept ? 1 : 0;
  },

  // Asked by every animation frame: 1 while the page is out of sight, and
  // the frame then runs nothing.
  fwWebRestAway__deps: ['$fwWeb'],
  fwWebRestAway: function() {
    fwWeb.resting = fwWeb.away;
    return fwWeb.away ? 1 : 0;
  },

  // Input from the canvas while it has the focus, in events of the kinds
  // fwWeb.cpp's table names (kindCount of them at kinds, in the table's
  // order; fields to an event); the page's calls.
  fwWebListen__deps: ['$fwWeb', '$fwWebCalls'],
  fwWebListen: function(kinds, kindCount, fields, stepped, framePeriodMs) {
    var names = ['key', 'mouse', 'padButton', 'padHat', 'padAxis', 'motion'];
    if (kindCount !== names.length)
      throw new Error('fwWeb: the page knows ' + names.length + ' event kinds, the module ' + kindCount);
    names.forEach(function(name, i) { fwWeb.kind[name] = HEAP32[(kinds >> 2) + i]; });
    fwWeb.fields = fields;
    var canvas = Module.canvas;
    canvas.addEventListener('keydown', function(e) { fwWeb.key(e, true); });
    canvas.addEventListener('keyup', function(e) { fwWeb.key(e, false); });
    canvas.addEventListener('blur', fwWeb.releaseAll);
    canvas.addEventListener('mousedown', function(e) {
      fwWeb.focus();
      e.preventDefault();
      fwWeb.mouse(e, true);
    });
    window.addEventListener('mouseup', function(e) { fwWeb.mouse(e, false); });
    canvas.addEventListener('contextmenu', function(e) { e.preventDefault(); });
    fwWeb.listenTouch(canvas);
    var field = document.getElementById('typing');
    if (field) fwWeb.listenTyping(field);
    fwWeb.listenAway();
    fwWeb.listenPads();
    fwWebCalls(stepped, framePeriodMs);
  },

  // Every function the page and its test may call, set on Module here and
  // nowhere else:
  //   tessarilFullscreen()   the page's fullscreen on or off (its button, F11)
  //   tessarilFocus()        the keys to the game: the canvas, or the phone's
  //                          text field while the name entry takes typing
  //   tessarilFramePeriodMs  the game's frame period in ms (a value)
  //   tessarilStep(ms)       with the stepped clock only: grants the clock ms
  //                          more; resolves once the program's animation
  //                          frames have spent the grant and wait for the next
  //   tessarilSound          the page's sound, for the test (fwWebAudio.js)
  //   tessarilRefuseStorage()  the test's hook: from now on the storage
  //                          refuses every save, as a full one or a private
  //                          window's does
  //   tessarilAway()         the test's look at the page being away: false
  //                          while it is in sight, 'waiting' once an animation
  //                          frame found it away and ran nothing, 'told' before
  // The page may set Module.tessarilShown, called once the first picture is
  // drawn, and Module.tessarilTitleShown(tracks), once the first frame of the
  // started game (the title) is, with a promise that settles once the music's
  // first track has arrived or could not. The module's own functions that JavaScript calls are
  // fwWebFileStored (fwWeb.cpp: the storage's answer to a save),
  // fwWebStoredBytes, fwWebApplyStored, fwWebChangedBytes and fwWebChangeDone
  // (fwWebStore.cpp: a shared file's change applied to the stored entry),
  // fwWebLeavePage, fwWebPageBack and fwWebWindowBlurred (fwWeb.cpp: the page
  // out of sight, back, and the window's focus lost) and fwWebAudioMusicEnded
  // (fwWebAudio.h).
  $fwWebCalls__deps: ['$fwWeb'],
  $fwWebCalls: function(stepped, framePeriodMs) {
    Module.tessarilFullscreen = fwWeb.fullscreen;
    Module.tessarilFocus = fwWeb.focus;
    Module.tessarilFramePeriodMs = framePeriodMs;
    Module.tessarilRefuseStorage = function() { fwWeb.refused = true; };
    Module.tessarilAway = function() {
      return fwWeb.away && (fwWeb.resting ? 'waiting' : 'told');
    };
    if (stepped) {
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

  // The oldest page input into event[0 .. fields - 1]; 0 when there is none.
  fwWebNextEvent__deps: ['$fwWeb'],
  fwWebNextEvent: function(event) {
    if (fwWeb.events.length === 0 && fwWeb.padConnected) fwWeb.pollPad();
    var e = fwWeb.events.shift();
    if (!e) return 0;
    for (var i = 0; i < fwWeb.fields; i++) HEAP32[(event >> 2) + i] = e[i] || 0;
    return 1;
  },

  // Runs the program on the page's animation frames (fwWeb.frame), from the next one.
  fwWebRunFrames__deps: ['$fwWeb'],
  fwWebRunFrames: function() {
    requestAnimationFrame(fwWeb.frame);
  },

  // A rectangle of the picture, as RGBA, into the canvas.
  fwWebPresent__deps: ['$fwWeb'],
  fwWebPresent: function(rgba, x, y, w, h) {
    if (!fwWeb.context) {
      fwWeb.context = Module.canvas.getContext('2d');
      if (Module.tessarilShown) Module.tessarilShown(); // the page's progress gives way
    }
    var bytes = new Uint8ClampedArray(HEAPU8.buffer, rgba, w * h * 4);
    fwWeb.context.putImageData(new ImageData(bytes, w, h), x, y);
  },

  // The started game's first frame (the title) is shown: the music's tracks
  // may be fetched now that the title's own files are in, and the page goes
  // on with its own work (the service worker).
  fwWebTitleShown__deps: ['$fwWebAudioAllowTracks'],
  fwWebTitleShown: function() {
    var tracks = fwWebAudioAllowTracks();
    if (Module.tessarilTitleShown) Module.tessarilTitleShown(tracks);
  },

  // Whether the game takes typing (its name entry shows): the phone's
  // keyboard is opened for a player who touched the page, and closed after.
  fwWebSetTyping__deps: ['$fwWeb'],
  fwWebSetTyping: function(on) {
    fwWeb.naming = on !== 0;
    var field = document.getElementById('typing');
    if (!field) return;
    field.value = '';
    fwWeb.typed = '';
    if (fwWeb.naming) fwWeb.focus();
    else if (document.activeElement === field) Module.canvas.focus();
  },

  // navigator.languages, the whole list (or the one navigator.language),
  // written into buffer as one comma-separated text cut to size bytes.
  fwWebReadLanguages: function(buffer, size) {
    var list = navigator.languages && navigator.languages.length ? navigator.languages
                                                                 : [navigator.language || ''];
    stringToUTF8(list.join(','), buffer, size);
  },

  // The page's own words in the game's language (page.js).
  fwWebSpeakLanguage: function(language) {
    if (Module.tessarilSpeak) Module.tessarilSpeak(UTF8ToString(language));
  },

  // The text for screen readers, read out politely by the page's live region.
  fwWebSay: function(text) {
    var region = document.getElementById('announce');
    if (region) region.textContent = UTF8ToString(text);
  },
});
