// The delivery note page: pairs with the print service on this computer,
// lists its printers, collects delivery notes and prints them as orders of
// the form delivery_note, following each job's progress from the service's
// events.
import {
  DEFAULT_BASE,
  FINAL_STATES,
  STATE_TEXT,
  getJob,
  listForms,
  listPrinters,
  onJob,
  pair,
  print,
} from "./zarvo-client.js";

const FORM = "delivery_note";
const ITEM_ROWS = 5;
const TAX_RATE = 0.05;

// The service's address: the usual one, or another port on this computer
// given as print.html?port=8700.
const SERVICE = (() => {
  const port = new URLSearchParams(location.search).get("port");
  return port && /^\d{1,5}$/.test(port) ? `http://127.0.0.1:${port}` : DEFAULT_BASE;
})();

const $ = (selector) => document.querySelector(selector);
// The notes waiting to be printed, as orders of the form.
const notes = [];
// The jobs this page sent: id -> {element, states}.
const jobs = new Map();
// Changes of jobs that came while a print request was under way, before
// its id was known: id -> [job]. Emptied when no request is.
const early = new Map();
let requests = 0;

function showMessage(text, isError = false) {
  const message = $("#message");
  message.textContent = text;
  message.classList.toggle("error", isError);
}

// A decimal number typed by a person, or NaN ("" and "12a" are not).
function parseNumber(text) {
  const trimmed = text.trim().replaceAll(",", "");
  return /^-?\d+(\.\d+)?$/.test(trimmed) ? Number(trimmed) : NaN;
}

// A sum of money as the form prints it: at most two decimals, none when whole.
function money(value) {
  return String(Math.round(value * 100) / 100);
}

// One item row as a detail row of the form, null when it is empty; throws
// when its quantity or price is not a number.
function itemOf(row) {
  const field = (name) => row.querySelector(`[name="${name}"]`).value.trim();
  const item = { item: field("item"), qty: field("qty"), unit: field("unit"), price: field("price") };
  if (!item.item && !item.qty && !item.price) return null;
  const qty = parseNumber(item.qty);
  const price = parseNumber(item.price);
  if (Number.isNaN(qty) || Number.isNaN(price)) {
    throw new Error(`品項「${item.item}」的數量或單價不是數字`);
  }
  return { ...item, amount: money(qty * price) };
}

// The subtotal, tax and total of items.
function totals(items) {
  const subtotal = items.reduce((sum, item) => sum + Number(item.amount), 0);
  const tax = Math.round(subtotal * TAX_RATE);
  return { subtotal: money(subtotal), tax: String(tax), total: money(subtotal + tax) };
}

// Shows each row's amount and the totals of the rows that can be read.
function updateAmounts() {
  const items = [];
  for (const row of $("#items").rows) {
    let item = null;
    try {
      item = itemOf(row);
    } catch {
      // Shown without an amount until its numbers are fixed.
    }
    row.querySelector('[name="amount"]').value = item ? item.amount : "";
    if (item) items.push(item);
  }
  const sums = totals(items);
  for (const name of ["subtotal", "tax", "total"]) $(`#${name}`).value = sums[name];
}

// The note being edited as an order of the form (the subtotal is the sum
// of the form's detail amounts); throws when it cannot be printed.
function orderFromForm() {
  const form = $("#note");
  const items = [];
  for (const row of $("#items").rows) {
    const item = itemOf(row);
    if (item) items.push(item);
  }
  if (items.length === 0) throw new Error("請至少填一個品項");
  const { tax, total } = totals(items);
  const value = (name) => form.elements[name].value.trim();
  return {
    no: value("no"),
    customer: value("customer"),
    date: value("date"),
    tax,
    total,
    total_words: total,
    items,
  };
}

// Lists the notes waiting to be printed, the one the service refused
// (if any) marked.
function renderNotes(refused = null) {
  const body = $("#notes");
  body.replaceChildren(
    ...notes.map((order, index) => {
      const row = document.createElement("tr");
      row.classList.toggle("refused", order === refused);
      for (const text of [order.no, order.customer, String(order.items.length), order.total]) {
        row.insertCell().textContent = text;
      }
      row.cells[2].className = row.cells[3].className = "number";
      const remove = document.createElement("button");
      remove.type = "button";
      remove.textContent = "移除";
      remove.addEventListener("click", () => {
        notes.splice(index, 1);
        renderNotes();
      });
      row.insertCell().append(remove);
      return row;
    }),
  );
  $("#print").disabled = notes.length === 0 || $("#printer").disabled;
}

function addNote(event) {
  event.preventDefault();
  try {
    notes.push(orderFromForm());
  } catch (error) {
    showMessage(error.message, true);
    return;
  }
  $("#note").reset();
  updateAmounts();
  renderNotes();
  showMessage(`已加入待印清單, 共 ${notes.length} 張`);
}

// Shows a change of a job this page sent.
function showJob(job) {
  const entry = jobs.get(job.id);
  if (!entry) return;
  const text = STATE_TEXT[job.state] ?? job.state;
  if (entry.states.at(-1) !== text) entry.states.push(text);
  entry.element.dataset.state = job.state;
  let line = `工作 ${job.id} (${job.printer}): ${entry.states.join(" → ")}`;
  if (job.sheets) line += `, 共 ${job.sheets} 張`;
  if (job.message) line += ` (${job.message})`;
  entry.element.textContent = line;
}

function receiveJob(job) {
  if (jobs.has(job.id)) {
    showJob(job);
  } else if (requests > 0) {
    if (!early.has(job.id)) early.set(job.id, []);
    early.get(job.id).push(job);
  }
}

function trackJob(id) {
  const element = document.createElement("li");
  element.dataset.job = id;
  $("#jobs").prepend(element);
  jobs.set(id, { element, states: [] });
  for (const job of early.get(id) ?? []) showJob(job);
  if (!element.dataset.state) refreshJob(id);
}

// Asks for a job's state, for the changes the events may have missed.
async function refreshJob(id) {
  try {
    showJob(await getJob(id));
  } catch (error) {
    showMessage(error.message, true);
  }
}

// The copies asked for; throws unless 1 to 99.
function copiesWanted() {
  const copies = Number($("#copies").value);
  if (!Number.isInteger(copies) || copies < 1 || copies > 99) throw new Error("份數必須是 1 到 99 之間的整數");
  return copies;
}

async function printNotes() {
  $("#print").disabled = true;
  const sending = notes.slice();
  let refused = null;
  ++requests;
  try {
    const id = await print({ form: FORM, printer: $("#printer").value, copies: copiesWanted(), orders: sending });
    // Only the notes sent leave the list (others may have been removed meanwhile).
    for (const order of sending) {
      const index = notes.indexOf(order);
      if (index >= 0) notes.splice(index, 1);
    }
    trackJob(id);
    showMessage(`已送出 ${sending.length} 張出貨單`);
  } catch (error) {
    showMessage(error.message, true);
    // The service counts the orders from 1.
    refused = sending[error.record - 1] ?? null;
  }
  // Other programs' jobs are not kept.
  if (--requests === 0) early.clear();
  renderNotes(refused);
}

function showPrinters(printers) {
  const select = $("#printer");
  select.replaceChildren(
    ...printers.map((printer) => new Option(printer.name, printer.name, printer.default, printer.default)),
  );
  select.disabled = printers.length === 0;
  if (printers.length === 0) showMessage("這台電腦沒有可用的印表機", true);
}

function followJobs() {
  onJob(receiveJob, {
    onConnection(state) {
      if (state === "ready") {
        $("#connection").textContent = "已連線";
        for (const [id, entry] of jobs) {
          if (!FINAL_STATES.includes(entry.element.dataset.state)) refreshJob(id);
        }
      } else {
        $("#connection").textContent = "與本機列印服務的連線中斷, 正在重新連線…";
      }
    },
  });
}

async function connect() {
  const button = $("#pair");
  button.disabled = true;
  showMessage("正在連線本機印表機… 若電腦上出現詢問, 請按允許");
  try {
    await pair(SERVICE);
    const [printers, forms] = await Promise.all([listPrinters(), listForms()]);
    const form = forms.find((candidate) => candidate.name === FORM);
    if (!form || form.problem) {
      showMessage(`本機列印服務沒有可用的「${FORM}」表單${form?.problem ? `: ${form.problem}` : ""}`, true);
    } else {
      showMessage("");
    }
    showPrinters(printers);
    followJobs();
    $("#connection").textContent = "已配對";
  } catch (error) {
    button.disabled = false;
    $("#connection").textContent = "尚未連線";
    showMessage(error.message, true);
  }
  renderNotes();
}

function setUp() {
  const template = $("#item-row");
  for (let i = 0; i < ITEM_ROWS; ++i) $("#items").append(template.content.cloneNode(true));
  $("#items").addEventListener("input", updateAmounts);
  $("#note").addEventListener("submit", addNote);
  $("#pair").addEventListener("click", connect);
  $("#print").addEventListener("click", printNotes);
  $("#printer").addEventListener("change", () => renderNotes());
}

setUp();
