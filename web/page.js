// The page around the game: the canvas at the largest whole scale of device
// pixels that fits the page, centred on black and sharp; the page's controls
// (fullscreen, licences) only where the margin beside or below the picture
// has room; the keyboard given to the game by a click or touch anywhere; no
// zoom by pinching; the options the page knows taken from its address
// (?seed=1234 becomes -seed=1234), every other query pair (what shared links
// carry) ignored; the log's lines in the console. It starts the game:
// the service worker first on every start after the first (sw.js: the build
// kept for offline play, a newer one taken whole; the first start registers
// it after the title), then the download of the module with its progress shown,
// and one readable sentence instead of a black page when the browser lacks
// WebAssembly, a download fails or the module stops with an error. Its
// words are in the first of the browser's languages that has a catalogue
// (texts.js, made from po/ by the build), English otherwise, and follow the
// game's language once it speaks one.
'use strict';

var Module = (function() {
  // The page's language: the first of navigator.languages with a catalogue,
  // a region without one of its own falling back to its language (de-AT to
  // de), English ending the search, as the game chooses (fwChooseLanguage).
  var catalogues = window.tessarilTexts || {};
  function pageLanguage() {
    var tags = navigator.languages && navigator.languages.length ? navigator.languages
                                                                 : [navigator.language || 'en'];
    for (var i = 0; i < tags.length; i++) {
      var parts = String(tags[i]).split(/[-_]/);
      var language = parts[0].toLowerCase();
      var code = parts.length > 1 ? language + '_' + parts[1].toUpperCase() : language;
      if (language === 'en') return 'en';
      if (catalogues.hasOwnProperty(code)) return code;
      if (catalogues.hasOwnProperty(language)) return language;
    }
    return 'en';
  }
  var language = pageLanguage();
  var texts = catalogues[language] || {};
  // The page's text for msgid: its translation, or the English itself.
  function pageText(msgid) {
    return texts.hasOwnProperty(msgid) && texts[msgid] ? texts[msgid] : msgid;
  }
  // msgid's %1, %2... replaced by the values given after it.
  function pageFormat(msgid) {
    var values = Array.prototype.slice.call(arguments, 1);
    return pageText(msgid).replace(/%(\d)/g, function(all, i) {
      return values[i - 1] !== undefined ? values[i - 1] : all;
    });
  }

  var canvas = document.getElementById('screen');
  var width = canvas.width;
  var height = canvas.height;
  var status = document.getElementById('status');
  var message = document.getElementById('message');
  var progress = document.getElementById('progress');
  var fullscreenButton = document.getElementById('fullscreen');
  var controls = [fullscreenButton, document.getElementById('licences')];
  var CONTROL_GAP = 8; // CSS pixels between a control and the page's edge or the picture
  var MEGABYTE = 1024 * 1024;

  // In the language spoken when one is told.
  var SENTENCES = {
    noWasm: function() {
      return pageText('Tessaril needs WebAssembly, which this browser does not offer or has ' +
                      'switched off: please try a current Firefox, Chromium, Chrome or Safari.');
    },
    download: function() {
      return pageText('Tessaril could not be downloaded: please check the connection and ' +
                      'reload the page.');
    },
    crash: function() {
      return pageText('Tessaril stopped after an error: please reload the page to play again.');
    },
  };

  // The page's own words in language (a catalogue's code, or 'en'): at the
  // start in the browser's, and again whenever the game speaks another (its
  // options' Language entry, the settings' language).
  function speak(code) {
    language = catalogues.hasOwnProperty(code) ? code : 'en';
    texts = catalogues[language] || {};
    document.documentElement.lang = language.replace('_', '-');
    fullscreenButton.textContent = pageText('Fullscreen');
    fullscreenButton.title = pageText('Fullscreen (F11)');
    document.getElementById('licences').textContent = pageText('Licences');
    // TRANSLATORS: the game's picture as a screen reader names it
    canvas.setAttribute('aria-label', pageText('Tessaril, a match-three game'));
    // TRANSLATORS: the phone keyboard's text field for the name entry, as a screen reader names it
    document.getElementById('typing').setAttribute('aria-label', pageText('Name'));
    placeControls(); // the words' widths changed
  }
  speak(language);
  message.textContent = pageText('Loading Tessaril…');
  var failed = false;

  // One sentence in place of the progress; the first failure is the one told.
  function fail(sentence) {
    if (failed) return;
    failed = true;
    message.textContent = sentence;
    progress.hidden = true;
    status.hidden = false;
  }

  // A control stands where it fits into the margin beside or below the
  // picture, never over it; where neither has room it is left out (F11 and
  // the browser's own fullscreen remain).
  function placeControls() {
    var picture = canvas.getBoundingClientRect();
    var side = window.innerWidth - picture.right;
    var below = window.innerHeight - picture.bottom;
    controls.forEach(function(control) {
      var room = side >= control.offsetWidth + 2 * CONTROL_GAP ||
                 below >= control.offsetHeight + 2 * CONTROL_GAP;
      control.style.visibility = room ? 'visible' : 'hidden';
    });
  }

  function fit() {
    var ratio = window.devicePixelRatio || 1;
    var box = canvas.parentElement;
    var scale = Math.max(1, Math.floor(Math.min(box.clientWidth * ratio / width,
                                                 box.clientHeight * ratio / height)));
    canvas.style.width = (width * scale / ratio) + 'px';
    canvas.style.height = (height * scale / ratio) + 'px';
    placeControls();
  }

  // The game's keyboard: the canvas, or the phone's text field while the
  // name entry takes typing (fwWeb.js names it through Module.tessarilFocus).
  function focusGame() {
    if (Module.tessarilFocus) Module.tessarilFocus();
    else canvas.focus();
  }

  window.addEventListener('resize', fit);
  document.addEventListener('fullscreenchange', function() {
    fit();
    focusGame();
  });
  // Phones without the fullscreen interface (or where the page may not use
  // it) get no button that does nothing.
  if (!document.fullscreenEnabled || !canvas.parentElement.requestFullscreen) {
    fullscreenButton.style.display = 'none';
    controls.shift();
  }
  fit();
  canvas.focus();

  // A click or touch anywhere on the page, the black margin included, gives
  // the game the keyboard; the page's own links and buttons keep theirs.
  // The margin's default would move the focus to the page's body.
  var takeFocus = function(e) {
    if (e.target.closest && e.target.closest('a, button')) return;
    if (e.type === 'mousedown' && e.target !== canvas) e.preventDefault();
    focusGame();
  };
  document.addEventListener('mousedown', takeFocus, true);
  document.addEventListener('touchstart', takeFocus, true);

  // The options a link may give, each with the values it takes: the boards'
  // seed (as the game's -seed) and the test's stepped clock.
  var options = {
    seed: {valid: function(v) { return /^\d{1,10}$/.test(v) && +v <= 4294967295; },
           range: pageText('a whole number from 0 to 4294967295')},
    clock: {valid: function(v) { return v === 'step'; }, range: '"step"'},
  };
  var args = [];
  var refused = [];
  new URLSearchParams(location.search).forEach(function(value, name) {
    var option = options.hasOwnProperty(name) ? options[name] : null;
    if (!option) return;
    if (option.valid(value)) args.push('-' + name + '=' + value);
    // TRANSLATORS: %1 an option's name (seed), %2 its value, %3 the values it takes
    else refused.push(pageFormat('the link\'s %1 "%2" is not %3', name, value, option.range));
  });
  // A bad value is named in one line over the game, which starts without it.
  if (refused.length) {
    var notice = document.getElementById('notice');
    // TRANSLATORS: %1 what is wrong with the page's address
    notice.textContent = pageFormat('%1: the game starts without it.', refused.join('; '));
    notice.hidden = false;
    console.warn(notice.textContent);
  }

  // Safari zooms on a pinch whatever the viewport says.
  document.addEventListener('gesturestart', function(e) { e.preventDefault(); });

  fullscreenButton.addEventListener('click', function() {
    if (Module.tessarilFullscreen) Module.tessarilFullscreen();
    focusGame();
  });

  // --- starting: the worker, the download, the module

  // The service worker keeps the music in the format this browser plays (the
  // MP3 copies where it decodes no Ogg Vorbis, as fwWebAudio.js chooses).
  var ogg = document.createElement('audio').canPlayType('audio/ogg; codecs="vorbis"') !== '';
  var WORKER = 'sw.js?music=' + (ogg ? 'ogg' : 'mp3');

  // Resolves when the game may start. Under a worker (every start after the
  // first) it first asks the server for a newer build; a newer worker keeps
  // every file of its build before it takes over, and the page then reloads
  // from it, so the game never runs one build's page with another's module.
  // Offline, or where the update fails, the cached build plays. The first
  // start registers no worker here (keepForOffline does, after the title).
  function readyWorker() {
    var workers = navigator.serviceWorker;
    if (!workers || !/^https?:$/.test(location.protocol) || !workers.controller)
      return Promise.resolve();
    return workers.register(WORKER).then(function(registration) {
      // A newer worker that takes over while the game starts brings its
      // whole build: the page loads again from it.
      var reload = function() { location.reload(); };
      workers.addEventListener('controllerchange', reload);
      var play = function() { workers.removeEventListener('controllerchange', reload); };
      return registration.update().then(function() {
        var next = registration.installing || registration.waiting;
        if (!next) return play();
        message.textContent = pageText('Updating Tessaril…');
        return new Promise(function(resolve) {
          next.addEventListener('statechange', function() {
            if (next.state === 'redundant') resolve(play()); // its files did not all arrive
          });
          if (registration.waiting) registration.waiting.postMessage('take-over');
        });
      }, play);
    }).catch(function() { return null; });
  }

  // The first start's worker, registered once the title is shown and the
  // music's first track has arrived: it keeps what the page has downloaded
  // (from the browser's cache) and fetches the rest of the build, the other
  // tracks included, for offline play. Nothing of it delays the title.
  function keepForOffline(tracks) {
    var workers = navigator.serviceWorker;
    if (!workers || !/^https?:$/.test(location.protocol) || workers.controller) return;
    tracks.then(function() { return workers.register(WORKER); }).catch(function() {});
  }

  // The named files' contents, reporting the bytes read so far and the
  // bytes expected (0 while any size is unknown, as for a compressed answer).
  function download(names, report) {
    var loaded = names.map(function() { return 0; });
    var sizes = names.map(function() { return 0; });
    var tell = function() {
      var sum = function(list) { return list.reduce(function(a, b) { return a + b; }, 0); };
      report(sum(loaded), sizes.indexOf(0) >= 0 ? 0 : sum(sizes));
    };
    return Promise.all(names.map(function(name, i) {
      return fetch(name).then(function(response) {
        if (!response.ok) throw new Error(name + ': ' + response.status);
        var encoded = response.headers.get('Content-Encoding');
        sizes[i] = encoded ? 0 : +response.headers.get('Content-Length') || 0;
        if (!response.body || !response.body.getReader) return response.arrayBuffer();
        var reader = response.body.getReader();
        var chunks = [];
        var pump = function() {
          return reader.read().then(function(part) {
            if (part.done) return new Blob(chunks).arrayBuffer();
            chunks.push(part.value);
            loaded[i] += part.value.length;
            tell();
            return pump();
          });
        };
        return pump();
      });
    }));
  }

  // Once a failure is told, its sentence stays: a file still arriving tells nothing.
  function showProgress(loaded, total) {
    if (failed) return;
    var mb = function(bytes) {
      return (bytes / MEGABYTE).toLocaleString(language.replace('_', '-'),
                                                {minimumFractionDigits: 1, maximumFractionDigits: 1});
    };
    if (total > 0) {
      progress.max = total;
      progress.value = Math.min(loaded, total);
      // TRANSLATORS: %1 megabytes loaded, %2 of how many
      message.textContent = pageFormat('Loading Tessaril… %1 of %2 MB', mb(loaded), mb(total));
    } else {
      progress.removeAttribute('value');
      // TRANSLATORS: %1 megabytes loaded so far
      message.textContent = pageFormat('Loading Tessaril… %1 MB', mb(loaded));
    }
  }

  var module = {
    canvas: canvas,
    arguments: args,
    print: function(text) { console.log(text); },
    printErr: function(text) { console.error(text); },
    onAbort: function() { fail(SENTENCES.crash()); },
    // Called by the module with its first picture: the game's own loading
    // bar takes over from the page's progress.
    tessarilShown: function() { if (!failed) status.hidden = true; },
    // Called with the title's first frame (fwWeb.js).
    tessarilTitleShown: keepForOffline,
    // Called whenever the game speaks a language (fwWeb.js).
    tessarilSpeak: speak,
  };

  function start() {
    if (typeof WebAssembly !== 'object' || typeof WebAssembly.instantiate !== 'function')
      return fail(SENTENCES.noWasm());
    readyWorker().then(function() {
      return download(['tessaril.wasm', 'tessaril.data'], showProgress);
    }).then(function(files) {
      module.wasmBinary = files[0];
      module.getPreloadedPackage = function() { return files[1]; };
      // Any error the module leaves uncaught from here on ends the game.
      window.addEventListener('error', function() { fail(SENTENCES.crash()); });
      window.addEventListener('unhandledrejection', function() { fail(SENTENCES.crash()); });
      var script = document.createElement('script');
      script.src = 'tessaril.js';
      script.onerror = function() { fail(SENTENCES.download()); };
      document.body.appendChild(script);
    }, function() {
      fail(SENTENCES.download());
    });
  }
  start();

  return module;
})();
