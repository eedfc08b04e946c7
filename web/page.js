// The page around the game: the canvas at the largest whole scale of device
// pixels that fits the page, centred on black and sharp; the fullscreen
// button; no zoom by pinching; the options the page knows taken from its
// address (?seed=1234 becomes -seed=1234), every other query pair (what
// shared links carry) ignored; the log's lines in the console.
'use strict';

var Module = (function() {
  var canvas = document.getElementById('screen');
  var width = canvas.width;
  var height = canvas.height;

  function fit() {
    var ratio = window.devicePixelRatio || 1;
    var box = canvas.parentElement;
    var scale = Math.max(1, Math.floor(Math.min(box.clientWidth * ratio / width,
                                                 box.clientHeight * ratio / height)));
    canvas.style.width = (width * scale / ratio) + 'px';
    canvas.style.height = (height * scale / ratio) + 'px';
  }
  window.addEventListener('resize', fit);
  document.addEventListener('fullscreenchange', function() {
    fit();
    canvas.focus();
  });
  fit();
  canvas.focus();

  // The options a link may give, each with the values it takes: the boards'
  // seed (as the game's -seed) and the test's stepped clock.
  var options = {
    seed: {valid: function(v) { return /^\d{1,10}$/.test(v) && +v <= 4294967295; },
           range: 'a whole number from 0 to 4294967295'},
    clock: {valid: function(v) { return v === 'step'; }, range: '"step"'},
  };
  var args = [];
  var refused = [];
  new URLSearchParams(location.search).forEach(function(value, name) {
    var option = options.hasOwnProperty(name) ? options[name] : null;
    if (!option) return;
    if (option.valid(value)) args.push('-' + name + '=' + value);
    else refused.push('the link\'s ' + name + ' "' + value + '" is not ' + option.range);
  });
  // A bad value is named in one line over the game, which starts without it.
  if (refused.length) {
    var notice = document.getElementById('notice');
    notice.textContent = refused.join('; ') + ': the game starts without it.';
    notice.hidden = false;
    console.warn(notice.textContent);
  }

  // Safari zooms on a pinch whatever the viewport says.
  document.addEventListener('gesturestart', function(e) { e.preventDefault(); });

  document.getElementById('fullscreen').addEventListener('click', function() {
    if (Module.tessarilFullscreen) Module.tessarilFullscreen();
  });

  return {
    canvas: canvas,
    arguments: args,
    print: function(text) { console.log(text); },
    printErr: function(text) { console.error(text); },
  };
})();
